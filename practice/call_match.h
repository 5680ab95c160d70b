// How near a callsign the operator sent is to a station's call: the edits
// (a character wrong, missing or extra) that turn one into the other, with
// "?" standing for characters the operator did not hear.
#pragma once

#include <QString>

namespace corvatta::practice {

// The fewest edits from `sent` to `call`; a "?" in `sent` matches any run
// of characters of `call`, the empty run too, at no cost. Letters are
// compared without regard to case.
int CallDistance(const QString& sent, const QString& call);

}  // namespace corvatta::practice

// The toolkit's own texts (standard buttons, file dialogs) in Slovenian, like the rest of
// both programs.
#pragma once

#include <QString>

namespace platform {

// Loads and installs Qt's Slovenian catalogue from `directory` (by default the toolkit's own
// translations folder). Returns false, and the toolkit stays in English, when the catalogue
// is not installed.
bool InstallStandardTranslations(const QString& directory = {});

}  // namespace platform

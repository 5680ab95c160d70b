// Answers to the system queries the programs make.
#pragma once

#include <QString>

namespace platform {

// Major plus minor version of the running Windows; 0 anywhere else.
int WindowsVersion();

// " 64" on a 64-bit system, else " 32".
QString BitnessText();

}  // namespace platform

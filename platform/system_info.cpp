#include "system_info.h"

#include <QSysInfo>

namespace platform {

int WindowsVersion() {
    return 0;
}

QString BitnessText() {
    return QSysInfo::currentCpuArchitecture().contains(QLatin1String("64")) ? QStringLiteral(" 64")
                                                                            : QStringLiteral(" 32");
}

}  // namespace platform

// Byte strings written as lists of numbers, the way the keyer's protocol
// tables give them: Bytes({0x02, 25}).
#pragma once

#include <QByteArray>

#include <initializer_list>

namespace testing_support {

inline QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (const int v : values) {
        b.append(static_cast<char>(v));
    }
    return b;
}

}  // namespace testing_support

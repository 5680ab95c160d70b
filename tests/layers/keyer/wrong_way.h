// A keyer header that reaches into the logger: the layer check must name it.
#pragma once

#include "keyer/cw_message.h"
#include "logger/main_window.h"

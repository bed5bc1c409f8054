// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kit/UiLogging.h"

Q_LOGGING_CATEGORY(lcUi, "parlovox.ui", QtInfoMsg)

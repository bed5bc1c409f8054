// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace GlobalShortcuts {

// A modal loop for a window-modal alert (a sheet): show the dialog with open(), then run the loop;
// the dialog's completion calls stopModal() with its response, which ends the innermost loop and
// becomes its result. Loops nest; the application object must exist.
int runModalLoop();

// Ends the innermost running modal loop with `response`; does nothing when none runs.
void stopModal(int response);

} // namespace GlobalShortcuts

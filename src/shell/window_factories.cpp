// Every built window, one line each, grouped by subsystem. Adding a line
// here enables the window's menu items and toolbar buttons.
#include "shell/main_window.h"
#include "shell/window_names.h"

// Shell, sign-in and data store.
#include "shell/school_name_window.h"

// Organisation and placement.

// Register and class lists.

// Score entry.

// Class score analysis.

// Grade-group analysis.

// Transcripts and reports.

// Head-teacher records and notices.

namespace tessaly {

void registerWindowFactories(MainWindow &m)
{
    // Shell, sign-in and data store.
    m.registerWindow(kSchoolNameWindow, makeWindow<SchoolNameWindow>);

    // Organisation and placement.

    // Register and class lists.

    // Score entry.

    // Class score analysis.

    // Grade-group analysis.

    // Transcripts and reports.

    // Head-teacher records and notices.
}

} // namespace tessaly

#pragma once
// Qt's own Chinese translations, so the standard dialogs (file, print, colour)
// and the context menus of text fields speak Chinese.

namespace tessaly {

// Installs qtbase_zh_CN (and qt_zh_CN where present) from Qt's translations
// folder into the running application. True when the base translation loaded.
bool installQtTranslations();

} // namespace tessaly

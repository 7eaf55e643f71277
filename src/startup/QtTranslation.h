#pragma once

// Every text of the program is Chinese, so Qt's own are too (file dialog, standard buttons, context
// menus), whatever the user's locale: installs Qt's qtbase_zh_CN translation and makes Chinese the
// default locale. Returns false when the translation is not installed (qt6-translations-l10n).
bool InstallQtTranslation();

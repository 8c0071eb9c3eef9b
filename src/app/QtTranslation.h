#pragma once

class QCoreApplication;

// Qt's own texts in Chinese: the standard buttons of message and input boxes
// ("确定", "取消"), the file dialogs, the context menus of text fields.
// Korvu's own texts are Chinese whatever the system locale, so Qt's are
// made Chinese always, not only on a Chinese desktop.
class QtTranslation
{
public:
    // Loads Qt's zh_CN catalogue from Qt's translations folder into `app`.
    // False when it is not installed: Qt's texts then stay in English.
    static bool install(QCoreApplication &app);
};

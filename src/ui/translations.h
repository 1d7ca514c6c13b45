#pragma once
// Qt's own texts of standard buttons and dialogs (Yes/No, Cancel, the file dialog) in
// Japanese, as the program's own texts are. Main thread, once the application exists.

class QCoreApplication;

namespace morvaline::ui {

// False when Qt's Japanese translations are not installed: those texts stay English.
bool installQtTranslations(QCoreApplication& app);

}  // namespace morvaline::ui

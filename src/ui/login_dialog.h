#pragma once
// The login dialog ("ﾛｸﾞｲﾝ"): a user ID, a password (at most 24 characters) and the buttons
// OK, "ｷｬﾝｾﾙ", "新規作成(&N)" and, in maintenance mode, "ｶｽﾀﾏｲｽﾞ(&C)...".

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

namespace morvaline::ui {

// Makes a box a password box: hidden, half-width characters only and at most 24 of them,
// as the host takes and the data set keeps a password.
void makePasswordBox(QLineEdit& box);

class LoginDialog final : public QDialog {
public:
    // What ended the dialog, as its result code.
    enum Outcome { Cancelled = QDialog::Rejected, Login = QDialog::Accepted, NewUser = 2, Customize = 3 };

    // knownUsers: the user IDs that have a data folder; userId: the one to pre-fill.
    LoginDialog(const QStringList& knownUsers, const QString& userId, bool maintenance, QWidget* parent = nullptr);

    QString userId() const;  // upper case
    QString password() const { return password_->text(); }

private:
    QComboBox* userId_;
    QLineEdit* password_;
};

}  // namespace morvaline::ui

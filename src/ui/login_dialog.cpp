#include "ui/login_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "store/document.h"
#include "ui/item_icons.h"
#include "ui/ui_texts.h"

namespace morvaline::ui {

void makePasswordBox(QLineEdit& box) {
    box.setEchoMode(QLineEdit::Password);
    box.setMaxLength(static_cast<int>(CTolDoc::kMaxPassword));
    box.setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x20-\\x7e]*")), &box));
}

LoginDialog::LoginDialog(const QStringList& knownUsers, const QString& userId, bool maintenance, QWidget* parent)
    : QDialog(parent), userId_(new QComboBox), password_(new QLineEdit) {
    setWindowTitle(QString::fromUtf8(kLoginTitle));
    setWindowIcon(programIcon());
    userId_->setEditable(true);
    userId_->addItems(knownUsers);
    userId_->setEditText(userId);
    userId_->lineEdit()->setMaxLength(8);
    makePasswordBox(*password_);

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8(kUserIdLabel), userId_);
    form->addRow(QString::fromUtf8(kPasswordLabel), password_);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(QString::fromUtf8(kCancel), QDialogButtonBox::RejectRole);
    QPushButton* newUser = buttons->addButton(QString::fromUtf8(kNewUserButton), QDialogButtonBox::ActionRole);
    connect(newUser, &QPushButton::clicked, this, [this] { done(NewUser); });
    if (maintenance) {
        QPushButton* customize = buttons->addButton(QString::fromUtf8(kCustomizeButton), QDialogButtonBox::ActionRole);
        connect(customize, &QPushButton::clicked, this, [this] { done(Customize); });
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // two fields: nothing to gain by resizing
    layout->addLayout(form);
    layout->addWidget(buttons);
    // A user ID that is known already: the password is what is left to type.
    if (!userId.isEmpty() && knownUsers.contains(userId, Qt::CaseInsensitive)) password_->setFocus();
    else userId_->setFocus();
}

QString LoginDialog::userId() const { return userId_->currentText().trimmed().toUpper(); }

}  // namespace morvaline::ui

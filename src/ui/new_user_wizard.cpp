#include "ui/new_user_wizard.h"

#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QWizardPage>

#include "platform/text_codec.h"
#include "ui/item_icons.h"
#include "ui/login_dialog.h"
#include "ui/ui_texts.h"

namespace morvaline::ui {
namespace {

QWizardPage* makePage(const char* text, QFormLayout* form) {
    auto* p = new QWizardPage;
    p->setTitle(QString::fromUtf8(kWizardTitle));
    p->setSubTitle(QString::fromUtf8(text));
    p->setLayout(form);
    return p;
}

}  // namespace

NewUserWizard::NewUserWizard(QWidget* parent)
    : QWizard(parent),
      userId_(new QLineEdit),
      password_(new QLineEdit),
      passwordAgain_(new QLineEdit),
      handle_(new QLineEdit),
      accessName_(new QLineEdit(QStringLiteral("LUDRIX"))),
      accessHost_(new QLineEdit),
      accessPort_(new QSpinBox) {
    setWindowTitle(QString::fromUtf8(kWizardTitle));
    setWindowIcon(programIcon());
    setWizardStyle(QWizard::ClassicStyle);
    setButtonText(QWizard::BackButton, QString::fromUtf8("< 戻る(&B)"));
    setButtonText(QWizard::NextButton, QString::fromUtf8("次へ(&N) >"));
    setButtonText(QWizard::FinishButton, QString::fromUtf8("完了"));
    setButtonText(QWizard::CancelButton, QString::fromUtf8(kCancel));
    userId_->setMaxLength(8);
    userId_->setValidator(new QRegularExpressionValidator(QRegularExpression("[A-Za-z0-9]{1,8}"), userId_));
    makePasswordBox(*password_);
    makePasswordBox(*passwordAgain_);
    handle_->setMaxLength(static_cast<int>(kMaxHandleBytes));
    accessPort_->setRange(1, 65535);
    accessPort_->setValue(23);

    auto* user = new QFormLayout;
    user->addRow(QString::fromUtf8(kUserIdLabel), userId_);
    user->addRow(QString::fromUtf8(kPasswordLabel), password_);
    user->addRow(QString::fromUtf8(kPasswordAgainLabel), passwordAgain_);
    addPage(makePage(kWizardUserPage, user));
    auto* handle = new QFormLayout;
    handle->addRow(QString::fromUtf8(kHandleLabel), handle_);
    addPage(makePage(kWizardHandlePage, handle));
    auto* access = new QFormLayout;
    access->addRow(QString::fromUtf8(kAccessNameLabel), accessName_);
    access->addRow(QString::fromUtf8(kAccessHostLabel), accessHost_);
    access->addRow(QString::fromUtf8(kAccessPortLabel), accessPort_);
    addPage(makePage(kWizardAccessPage, access));
}

bool NewUserWizard::validateCurrentPage() {
    if (currentId() == 0) {
        if (!userId_->hasAcceptableInput()) {
            QMessageBox::warning(this, windowTitle(), QString::fromUtf8(kBadUserIdFormat));
            return false;
        }
        if (password_->text().isEmpty() || password_->text() != passwordAgain_->text()) {
            QMessageBox::warning(this, windowTitle(), QString::fromUtf8(kPasswordsDiffer));
            return false;
        }
    }
    // The handle is kept in 40 bytes of Shift_JIS: refused here rather than cut short later.
    if (currentId() == 1 && utf8ToSjis(handle_->text().toStdString()).size() > kMaxHandleBytes) {
        QMessageBox::warning(this, windowTitle(), QString::fromUtf8(kHandleTooLong));
        return false;
    }
    return QWizard::validateCurrentPage();
}

NewUserAnswers NewUserWizard::answers() const {
    NewUserAnswers a;
    a.userId = userId_->text().toUpper();
    a.password = password_->text();
    a.handle = handle_->text();
    a.accessName = accessName_->text();
    a.accessHost = accessHost_->text().trimmed();
    a.accessPort = accessPort_->value();
    return a;
}

}  // namespace morvaline::ui

#pragma once
// The new-user wizard: user ID and password, handle name, and one access point (Telnet).
// It only collects the answers; the start-up creates the data set from them.

#include <QLineEdit>
#include <QSpinBox>
#include <QWizard>

#include <cstddef>

namespace morvaline::ui {

// The handle name of a new user is kept in at most 40 bytes of Shift_JIS.
inline constexpr std::size_t kMaxHandleBytes = 40;

struct NewUserAnswers {
    QString userId;  // upper case
    QString password;
    QString handle;
    QString accessName;
    QString accessHost;
    int accessPort = 23;
};

class NewUserWizard final : public QWizard {
public:
    explicit NewUserWizard(QWidget* parent = nullptr);
    NewUserAnswers answers() const;
    bool validateCurrentPage() override;

private:
    QLineEdit* userId_;
    QLineEdit* password_;
    QLineEdit* passwordAgain_;
    QLineEdit* handle_;
    QLineEdit* accessName_;
    QLineEdit* accessHost_;
    QSpinBox* accessPort_;
};

}  // namespace morvaline::ui

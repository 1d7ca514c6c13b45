#pragma once
// The message pane of a browser window: a header bar (title, sender, date), the readable
// text of the message (a mail decoded from MIME) with its links underlined and clickable,
// and the list of a mail's attachments with saving.

#include <QLabel>
#include <QListWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QWidget>

#include <functional>
#include <string>

#include "message/attachment.h"
#include "message/attachment_save.h"
#include "message/links.h"

namespace morvaline {
class CItemArray;
}

namespace morvaline::ui {

class MessageView final : public QWidget {
public:
    explicit MessageView(QWidget* parent = nullptr);

    // Shows item index of the list (main thread; reads the list's text file).
    void showMessage(CItemArray& list, int index);
    void clear();
    void setHeaderShown(bool shown);
    void setToolBarShown(bool shown);
    bool headerShown() const { return !header_->isHidden(); }
    bool toolBarShown() const { return !toolBar_->isHidden(); }

    // Called when a link is clicked: its kind and its text (Shift_JIS).
    std::function<void(LinkKind, const std::string&)> onLink;
    // Where "保存" proposes to save attachments (a local folder).
    std::function<QString()> saveFolder;

    const AttachmentList& attachments() const { return attachments_; }
    // Saves an attachment into a folder (a free name when the folder has one of its name).
    SaveResult saveAttachment(int row, const QString& folder);
    // The text shown, for tests and copying.
    QString plainText() const { return text_->toPlainText(); }
    // Follows a link as a click on it would.
    void activateLink(const QUrl& url);

private:
    void askAndSave();

    QLabel* header_;
    QToolBar* toolBar_;
    QAction* save_;
    QTextBrowser* text_;
    QListWidget* attachmentList_;
    AttachmentList attachments_;
};

// The HTML of a message text (Shift_JIS lines): escaped, links as anchors.
QString messageHtml(std::string_view sjisText);

}  // namespace morvaline::ui

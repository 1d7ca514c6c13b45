#include "ui/message_view.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include "message/mail_display.h"
#include "models/collation.h"
#include "store/item_array.h"
#include "ui/ui_texts.h"

namespace morvaline::ui {
namespace {

constexpr const char* kLinkScheme = "morvaline-link";

QIcon attachmentIcon(const QString& name) {
    // By the name's extension only: nothing is written anywhere to find the icon.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    return icon.isNull() ? QApplication::style()->standardIcon(QStyle::SP_FileIcon) : icon;
}

}  // namespace

QString messageHtml(std::string_view text) {
    QString html = QStringLiteral("<pre style=\"white-space: pre-wrap\">");
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::size_t at = 0;
        for (const LinkRun& run : FindLinks(line)) {
            html += displayText(line.substr(at, run.begin - at)).toHtmlEscaped();
            const std::string_view linkText = line.substr(run.begin, run.end - run.begin);
            QUrl url;
            url.setScheme(kLinkScheme);
            url.setPath(QString::number(static_cast<int>(run.kind)));
            url.setFragment(QString::fromLatin1(QByteArray(linkText.data(), static_cast<int>(linkText.size())).toHex()));
            html += "<a href=\"" + url.toString(QUrl::FullyEncoded).toHtmlEscaped() + "\">" +
                    displayText(linkText).toHtmlEscaped() + "</a>";
            at = run.end;
        }
        html += displayText(line.substr(at)).toHtmlEscaped() + '\n';
        start = end + 1;
    }
    return html + QStringLiteral("</pre>");
}

MessageView::MessageView(QWidget* parent)
    : QWidget(parent),
      header_(new QLabel),
      toolBar_(new QToolBar),
      text_(new QTextBrowser),
      attachmentList_(new QListWidget) {
    header_->setTextFormat(Qt::PlainText);
    header_->setContentsMargins(4, 2, 4, 2);
    header_->setFrameShape(QFrame::StyledPanel);
    text_->setOpenLinks(false);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(text_, &QTextBrowser::anchorClicked, this, &MessageView::activateLink);
    save_ = toolBar_->addAction(QApplication::style()->standardIcon(QStyle::SP_DialogSaveButton),
                                QString::fromUtf8(kSaveAttachment));
    connect(save_, &QAction::triggered, this, &MessageView::askAndSave);
    attachmentList_->setMaximumHeight(80);
    attachmentList_->hide();
    connect(attachmentList_, &QListWidget::itemActivated, this, &MessageView::askAndSave);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header_);
    layout->addWidget(toolBar_);
    layout->addWidget(text_, 1);
    layout->addWidget(attachmentList_);
    clear();
}

void MessageView::clear() {
    header_->clear();
    text_->clear();
    attachments_.clear();
    attachmentList_->clear();
    attachmentList_->hide();
    save_->setEnabled(false);
}

void MessageView::setHeaderShown(bool shown) { header_->setVisible(shown); }
void MessageView::setToolBarShown(bool shown) { toolBar_->setVisible(shown); }

void MessageView::showMessage(CItemArray& list, int index) {
    clear();
    const CItem item = list.item(index);
    QString head = displayText(item.m_szTitle.view());
    const std::string_view sender = item.m_szID.empty() ? item.m_strText.view() : item.m_szID.view();
    if (!sender.empty() || !item.m_szName.empty())
        head += "    " + displayText(sender) + ' ' + displayText(item.m_szName.view());
    if (item.m_ftDate != 0) head += "    " + QString::fromStdString(formatDateTime(item.m_ftDate));
    header_->setText(head);
    if (item.m_nLength <= 0) return;
    const auto stored = list.readText(item.m_nOffset, item.m_nLength);
    if (!stored) {
        text_->setPlainText(QString::fromStdString(list.textFile().string()));
        return;
    }
    text_->setHtml(messageHtml(MailDisplayText(*stored, item.m_dwFlags, &attachments_)));
    for (const Attachment& a : attachments_) {
        const QString name = displayText(a.name);
        auto* row = new QListWidgetItem(attachmentIcon(name),
                                        name + QStringLiteral(" (%1KB)").arg(EstimatedAttachmentKB(a)));
        attachmentList_->addItem(row);
    }
    attachmentList_->setVisible(!attachments_.empty());
    save_->setEnabled(!attachments_.empty());
}

void MessageView::activateLink(const QUrl& url) {
    if (url.scheme() != QLatin1String(kLinkScheme) || !onLink) return;
    const QByteArray bytes = QByteArray::fromHex(url.fragment().toLatin1());
    onLink(static_cast<LinkKind>(url.path().toInt()), bytes.toStdString());
}

SaveResult MessageView::saveAttachment(int row, const QString& folder) {
    if (row < 0 || row >= static_cast<int>(attachments_.size())) return {};
    return SaveAttachment(folder.toStdString(), attachments_[static_cast<std::size_t>(row)], ExistingFile::Keep);
}

void MessageView::askAndSave() {
    const int row = attachmentList_->currentRow() >= 0 ? attachmentList_->currentRow() : 0;
    if (row >= static_cast<int>(attachments_.size())) return;
    const QString folder = QFileDialog::getExistingDirectory(this, QString::fromUtf8(kAttachments),
                                                             saveFolder ? saveFolder() : QString());
    if (folder.isEmpty()) return;
    const SaveResult result = saveAttachment(row, folder);
    const QString name = displayText(attachments_[static_cast<std::size_t>(row)].name);
    if (result.status == SaveStatus::DecodeFailed)
        QMessageBox::warning(this, QString::fromUtf8(kAttachments), QString::fromUtf8(kAttachmentDamaged).arg(name));
    else if (result.status == SaveStatus::WriteFailed)
        QMessageBox::warning(this, QString::fromUtf8(kAttachments),
                             QString::fromUtf8(kAttachmentNotSaved).arg(name, QString::fromStdString(result.error)));
}

}  // namespace morvaline::ui

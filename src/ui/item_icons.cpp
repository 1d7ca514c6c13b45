#include "ui/item_icons.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "models/item_state.h"
#include "models/model_roles.h"
#include "store/item_kinds.h"

namespace morvaline::ui {
namespace {

enum class Shape { Folder, Root, Favourites, Trash, MailBox, Room, Library, Page, Mail, Draft, Template };

Shape shapeOf(int k) {
    switch (k) {
        case kind::kRoot:
            return Shape::Root;
        case kind::kFavourites:
            return Shape::Favourites;
        case kind::kTrash:
            return Shape::Trash;
        case kind::kReceivedMail:
        case kind::kSentMail:
        case kind::kMailFolder:
        case kind::kSentLog:
        case kind::kIdMail:
            return Shape::MailBox;
        case kind::kRoom:
        case kind::kBoard:
        case kind::kClub:
        case kind::kCircle:
        case kind::kNotices:
        case kind::kNewNotices:
        case kind::kClipping:
        case kind::kUnknownPlace:
        case kind::kBilling:
        case kind::kFavouriteEntry:
            return Shape::Room;
        case kind::kLibrary:
            return Shape::Library;
        case kind::kReceivedMailMessage:
        case kind::kSentMailMessage:
        case kind::kSentFileMail:
        case kind::kSentListEntry:
        case kind::kOtherMail:
        case kind::kAbsenceNotice:
            return Shape::Mail;
        case kind::kNewMail:
        case kind::kComment:
        case kind::kFileMail:
        case kind::kUpload:
        case kind::kForwardMail:
        case kind::kShortcut:
            return Shape::Draft;
        case kind::kTemplate:
        case kind::kTemplates:
            return Shape::Template;
        default:
            return kind::isPlace(k) ? Shape::Folder : Shape::Page;
    }
}

void drawShape(QPainter& p, Shape shape) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    switch (shape) {
        case Shape::Folder:
        case Shape::Root:
            p.setBrush(shape == Shape::Root ? QColor(110, 160, 230) : QColor(240, 200, 90));
            p.drawRect(1, 4, 13, 9);
            p.drawRect(1, 2, 5, 2);
            break;
        case Shape::Favourites: {
            QPainterPath star;
            star.moveTo(8, 1);
            star.lineTo(10, 6);
            star.lineTo(15, 6);
            star.lineTo(11, 9);
            star.lineTo(13, 14);
            star.lineTo(8, 11);
            star.lineTo(3, 14);
            star.lineTo(5, 9);
            star.lineTo(1, 6);
            star.lineTo(6, 6);
            star.closeSubpath();
            p.setBrush(QColor(250, 210, 40));
            p.drawPath(star);
            break;
        }
        case Shape::Trash:
            p.setBrush(QColor(190, 190, 190));
            p.drawRect(3, 4, 10, 10);
            p.drawLine(2, 3, 14, 3);
            p.drawLine(6, 1, 10, 1);
            break;
        case Shape::MailBox:
        case Shape::Mail:
            p.setBrush(shape == Shape::MailBox ? QColor(250, 240, 200) : QColor(255, 255, 255));
            p.drawRect(1, 3, 13, 9);
            p.drawLine(1, 3, 8, 8);
            p.drawLine(14, 3, 8, 8);
            break;
        case Shape::Room:
            p.setBrush(QColor(170, 220, 170));
            p.drawRoundedRect(1, 2, 13, 9, 2, 2);
            p.drawLine(4, 11, 3, 14);
            p.drawLine(3, 14, 7, 11);
            break;
        case Shape::Library:
            p.setBrush(QColor(200, 170, 230));
            p.drawRect(2, 2, 11, 12);
            p.drawRect(5, 2, 5, 4);
            break;
        case Shape::Page:
        case Shape::Template:
            p.setBrush(shape == Shape::Template ? QColor(230, 230, 255) : QColor(255, 255, 255));
            p.drawRect(3, 1, 10, 13);
            p.drawLine(5, 5, 11, 5);
            p.drawLine(5, 8, 11, 8);
            p.drawLine(5, 11, 9, 11);
            break;
        case Shape::Draft:
            p.setBrush(QColor(255, 255, 230));
            p.drawRect(2, 1, 10, 13);
            p.setPen(QPen(QColor(200, 80, 30), 2));
            p.drawLine(7, 12, 14, 5);
            break;
    }
}

void drawStates(QPainter& p, int state) {
    p.setPen(Qt::NoPen);
    if (state & (itemstate::kUnread | itemstate::kHasUnread)) {
        p.setBrush(QColor(30, 90, 220));
        p.drawEllipse(0, 10, 6, 6);
    }
    if (state & itemstate::kNew) {
        p.setBrush(QColor(240, 150, 0));
        p.drawEllipse(11, 0, 5, 5);
    }
    if (state & (itemstate::kMarked | itemstate::kHasMarked)) {
        p.setBrush(QColor(220, 30, 30));
        p.drawRect(11, 10, 5, 5);
    }
    if (state & itemstate::kReserved) {
        // Top left, the one corner no other state uses, filled so that it shows on any shape.
        p.setPen(QPen(QColor(0, 130, 50), 2));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1, 1, 6, 6));
        p.setPen(Qt::NoPen);
    }
    if (state & itemstate::kDeleted) {
        p.setPen(QPen(QColor(120, 120, 120), 2));
        p.drawLine(2, 2, 14, 14);
        p.drawLine(14, 2, 2, 14);
    }
    if (state & itemstate::kHeld) {
        p.setPen(QPen(QColor(120, 60, 0), 2));
        p.drawLine(6, 4, 6, 12);
        p.drawLine(10, 4, 10, 12);
    }
    if (state & itemstate::kHidden) {
        p.setBrush(QColor(255, 255, 255, 140));
        p.setPen(Qt::NoPen);
        p.drawRect(0, 0, 16, 16);
    }
}

}  // namespace

QIcon itemIcon(int kind, int state) {
    // Views ask for icons at every paint. Images (unlike pixmaps) may outlive the
    // application object, so the drawn ones are kept as images.
    static QHash<qint64, QImage> drawn;
    const qint64 key = (static_cast<qint64>(kind) << 32) | static_cast<quint32>(state);
    auto it = drawn.constFind(key);
    if (it == drawn.constEnd()) {
        QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            drawShape(p, shapeOf(kind));
            drawStates(p, state);
        }
        it = drawn.insert(key, image);
    }
    return QIcon(QPixmap::fromImage(*it));
}

QIcon programIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(32, 84, 160));
    p.drawRoundedRect(2, 2, 60, 60, 12, 12);
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(12, 20, 40, 28);
    p.setPen(QPen(QColor(32, 84, 160), 3));
    p.drawLine(12, 20, 32, 36);
    p.drawLine(52, 20, 32, 36);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 170, 30));
    p.drawEllipse(44, 8, 14, 14);
    return QIcon(pixmap);
}

QVariant ItemPresentation::data(const QModelIndex& index, int role) const {
    if (role == Qt::DecorationRole)
        return itemIcon(index.data(KindRole).toInt(), index.data(StateRole).toInt());
    if (role == Qt::FontRole) {
        const int state = index.data(StateRole).toInt();
        if (state & (itemstate::kUnread | itemstate::kHasUnread)) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    }
    return QIdentityProxyModel::data(index, role);
}

}  // namespace morvaline::ui

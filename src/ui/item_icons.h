#pragma once
// Icons of places and messages by kind and state, drawn by the program itself, and the
// proxy that gives the models' rows their icons and fonts.

#include <QIcon>
#include <QIdentityProxyModel>

namespace morvaline::ui {

// The icon of an item of this kind in this state (models/item_state.h bits).
QIcon itemIcon(int kind, int state);
// The program's own icon.
QIcon programIcon();

// Adds icons (DecorationRole) and a bold font for unread rows (FontRole) to a model that
// offers KindRole and StateRole.
class ItemPresentation final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
};

}  // namespace morvaline::ui

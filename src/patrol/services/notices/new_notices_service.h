#pragma once
// The place "新しいお知らせ" (kind 8): the host shows the new notices at login, so the walk
// only keeps its reservation in step, using up a one-shot reservation.

#include "patrol/run/place_service.h"

namespace morvaline {

class NewNoticesService final : public PlaceService {
public:
    bool serves(int kind) const override;
};

}  // namespace morvaline

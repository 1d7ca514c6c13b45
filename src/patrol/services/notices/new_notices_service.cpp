#include "patrol/services/notices/new_notices_service.h"

#include "store/item_kinds.h"

namespace morvaline {

bool NewNoticesService::serves(int kind) const { return kind == kind::kNewNotices; }

}  // namespace morvaline

#include "patrol/services/service_factory.h"

#include "patrol/services/board/board_service.h"
#include "patrol/services/forum/forum_service.h"
#include "patrol/services/library/library_service.h"
#include "patrol/services/mail/mail_pass.h"
#include "patrol/services/mail/mail_service.h"
#include "patrol/services/notices/new_notices_service.h"
#include "patrol/services/posting/posting_service.h"

namespace morvaline {

PlaceServices makePlaceServices(CPatrolEngine& engine, CTolDoc& doc) {
    PlaceServices services;
    services.add(std::make_unique<MailPass>(engine, doc, std::make_unique<MailService>(engine, doc)));
    services.add(std::make_unique<NewNoticesService>());
    services.add(std::make_unique<ForumService>(engine, doc));
    services.add(std::make_unique<LibraryService>(engine, doc));
    services.add(std::make_unique<PostingService>(engine, doc));
    services.add(std::make_unique<BoardService>(engine, doc));
    return services;
}

}  // namespace morvaline

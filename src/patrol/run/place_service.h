#pragma once
// The seam between the walk of a patrol run and the services that serve the places: every
// kind of place plugs into the walk through one PlaceService, and the run works with the
// set that one factory builds (patrol/services/service_factory.h), which tests replace.
//
// A run calls, on the patrol thread: beforeWalk() of every service in the order of the
// set (the mail pass lives there), then reach() for every place of the tree in index
// order whose kind a service serves (hidden places are left out, and the walk stops at
// the first result code that ends the run), then afterWalk() of every service (the places
// served after the walk).

#include <memory>
#include <vector>

#include "patrol/run/reservation_check.h"

namespace morvaline {

// What the run offers the services while it walks.
class PatrolWalk {
public:
    // Whether a place is due at the run's level. Unless peeking, a skip-once flag is cleared
    // (the place is then not due) and a one-shot reservation is used up and announced.
    virtual DueCheck isDue(int place, bool peek) = 0;
    // The main menu after the login announced new mail.
    virtual bool newMailAnnounced() const = 0;

protected:
    ~PatrolWalk() = default;
};

class PlaceService {
public:
    virtual ~PlaceService() = default;

    // Whether the walk hands places of this kind to this service.
    virtual bool serves(int kind) const = 0;

    // Work before the walk, such as the mail pass.
    virtual void beforeWalk(PatrolWalk& /*walk*/) {}
    // The walk has reached a place of a kind this service serves. The reservation is
    // checked; a due place is visited, another passed over. A service whose places are
    // checked elsewhere (inside another place, or after the walk) overrides this.
    virtual void reach(int place, PatrolWalk& walk);
    virtual void visit(int /*place*/, const DueCheck& /*due*/, PatrolWalk& /*walk*/) {}
    virtual void passOver(int /*place*/, const DueCheck& /*due*/, PatrolWalk& /*walk*/) {}
    // Work after the walk, such as the places deferred to its end.
    virtual void afterWalk(PatrolWalk& /*walk*/) {}
};

// The services of one run, in the order they work.
class PlaceServices {
public:
    void add(std::unique_ptr<PlaceService> service) { services_.push_back(std::move(service)); }
    // The first service that serves the kind, or null.
    PlaceService* serving(int kind) const;

    auto begin() const { return services_.begin(); }
    auto end() const { return services_.end(); }

private:
    std::vector<std::unique_ptr<PlaceService>> services_;
};

}  // namespace morvaline

#pragma once
// The services of a patrol run. Adding a service is adding its folder here and one line
// in makePlaceServices. Patrol thread.

#include <functional>

#include "patrol/engine/patrol_engine.h"
#include "patrol/run/place_service.h"

namespace morvaline {

class CTolDoc;

// Builds the services of one run over the engine and the document, in the order they work.
using PlaceServiceFactory = std::function<PlaceServices(CPatrolEngine& engine, CTolDoc& doc)>;

PlaceServices makePlaceServices(CPatrolEngine& engine, CTolDoc& doc);

}  // namespace morvaline

#pragma once
// The yes/no questions that the models and the navigation ask on the way (hidden place,
// display limit, moving to another place). The window answers with a message box, the
// tests with a script.

#include "store/texts.h"

namespace morvaline {

class Questions {
public:
    virtual ~Questions() = default;
    // True for Yes.
    virtual bool ask(const Text& question) = 0;
};

}  // namespace morvaline

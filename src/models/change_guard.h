#pragma once
// Marks a model as busy announcing a change for the length of a scope. While it is set, a
// fetch that a slot of the announcement asks for is left for later: rows inserted then
// would nest one change inside another.

namespace morvaline {

class ChangeGuard {
public:
    explicit ChangeGuard(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~ChangeGuard() { flag_ = was_; }
    ChangeGuard(const ChangeGuard&) = delete;
    ChangeGuard& operator=(const ChangeGuard&) = delete;

private:
    bool& flag_;
    bool was_;
};

}  // namespace morvaline

// A part of the system that tests replace, reached through one pointer: while a
// replacement lives the pointer names it, and the one before comes back afterwards.
#pragma once

template <class Interface>
class ScopedReplacement {
public:
    ScopedReplacement(Interface*& slot, Interface& replacement) : slot_(slot), previous_(slot) { slot = &replacement; }
    ScopedReplacement(const ScopedReplacement&) = delete;
    ScopedReplacement& operator=(const ScopedReplacement&) = delete;
    ~ScopedReplacement() { slot_ = previous_; }

private:
    Interface*& slot_;
    Interface* previous_;
};

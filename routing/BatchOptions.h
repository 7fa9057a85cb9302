#pragma once
// How one batch is to be carried out, chosen when it is started rather than by the rules: the
// drop zone sets it from the keys held at the drop, the command line from its switches.

namespace kw {

struct BatchOptions {
    // Every item a rule (or the Unsorted folder) would move is copied instead, and stays where
    // it is (Ctrl held while dropping, as in Explorer).
    bool copyInsteadOfMove = false;
};

}  // namespace kw

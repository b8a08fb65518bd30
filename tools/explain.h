// morvalith-sim --explain: replays a machine on the simulated platform and
// says, step by step, what the library did and why.
#pragma once

#include <string>
#include <vector>

#include "diagnosis.h"
#include "machine.h"

// The words of a diagnosis: the cause on one line, and what to do; and the
// same as identifiers with their arguments, from which the customer's window
// words them in the customer's language (tools/lang.cpp).
struct CauseWords {
    std::string cause, remedy;
    std::string causeId, remedyId;
    std::vector<std::string> causeArgs, remedyArgs;
};
CauseWords Words(const Diagnosis &d);

// Prints the explanation; returns 0 when the library loads, 1 when it refuses.
int Explain(const sim::Machine &machine, const std::string &name, bool calls);

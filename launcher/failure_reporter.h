#ifndef LAUNCHER_FAILURE_REPORTER_H_
#define LAUNCHER_FAILURE_REPORTER_H_

#include "failure.h"

// Shows the one message box of a failed run. The caller ends the run with
// exit code 1.
void ReportFailure(const Failure& failure);

#endif  // LAUNCHER_FAILURE_REPORTER_H_

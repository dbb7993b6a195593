// The link between the text controls' Esc key and a running print job.
//
// Printing runs on the event thread and lets pending window events run between two printed
// lines; an Esc pressed in a text control then arrives here. While a job runs, the printing code
// sets AbortRunningPrintJob to a function that aborts the job if it is still running and returns
// whether it did; when the job ends it resets the hook to an empty function. With no job the hook
// is empty and Esc leaves printing alone.
#pragma once

#include <functional>

namespace printjob {

inline std::function<bool()> AbortRunningPrintJob;

}  // namespace printjob

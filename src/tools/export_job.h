#pragma once
// What the two export formats share while they run on the export's worker thread: the
// place and its open message list, the choices, and the ways to report progress, to ask
// and to see the stop request.

#include <functional>
#include <string>
#include <vector>

#include "tools/export.h"

namespace morvaline {

class CItemArray;

struct ExportJob {
    CTolDoc& doc;
    int place;
    CItemArray& list;
    const ExportChoices& choices;
    std::function<void(int percent)> progress;
    std::function<bool(const std::string& question)> askOverwrite;
    std::function<bool()> stopRequested;
};

// What a format wrote: the outcome and the messages it wrote (list indices), which a
// removal afterwards takes away.
struct ExportWritten {
    ExportResult result;
    std::vector<int> indices;
};

ExportWritten exportText(const ExportJob& job);
ExportWritten exportHtml(const ExportJob& job, const HtmlSettings& html);

// A message the choices of "which messages" select.
bool exportSelects(const CItemArray& list, int index, ExportWhich which);

}  // namespace morvaline

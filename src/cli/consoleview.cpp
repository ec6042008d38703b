#include "cli/consoleview.h"

namespace tovrix::cli {

ConsoleLinkView::ConsoleLinkView(ConfData& confdata, const TabData& tabdata)
    : confdata_(confdata), tabdata_(tabdata) {}

void ConsoleLinkView::showdata() {
    normaliseConfigBlock(confdata_);
}

bool ConsoleLinkView::Restore64K() {
    return imageChecksum(tabdata_) == tabdata_[image::kChecksum];
}

}  // namespace tovrix::cli

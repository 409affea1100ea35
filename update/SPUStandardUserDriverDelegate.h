#pragma once

#include "update/SPUUserDriver.h"

namespace update {

// What the standard user driver tells its host about the windows it shows. Defaults do
// nothing.
class SPUStandardUserDriverDelegate {
public:
    SPUStandardUserDriverDelegate() = default;
    SPUStandardUserDriverDelegate(const SPUStandardUserDriverDelegate&) = delete;
    SPUStandardUserDriverDelegate& operator=(const SPUStandardUserDriverDelegate&) = delete;
    virtual ~SPUStandardUserDriverDelegate() = default;

    virtual void standardUserDriverWillShowModalAlert() {}
    virtual void standardUserDriverDidShowModalAlert() {}
    virtual bool standardUserDriverAllowsMinimizableStatusWindow() { return true; }
    // An update is about to be shown (`handleShowingUpdate` true: by the driver itself).
    virtual void standardUserDriverWillHandleShowingUpdate(bool /*handleShowingUpdate*/,
                                                           const SUAppcastItem&,
                                                           SPUUserUpdateState) {}
    // The person answered the shown update.
    virtual void standardUserDriverDidReceiveUserAttention(const SUAppcastItem&) {}
};

} // namespace update

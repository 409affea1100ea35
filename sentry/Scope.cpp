#include "sentry/Scope.h"

namespace sentry {

void Scope::addBreadcrumb(Breadcrumb breadcrumb) {
    breadcrumbs_.push_back(std::move(breadcrumb));
    if (breadcrumbs_.size() > maxBreadcrumbs) {
        breadcrumbs_.pop_front();
    }
}

void Scope::applyTo(Event& event) const {
    if (!event.user) {
        event.user = user_;
    }
    event.tags.insert(tags_.begin(), tags_.end());
    event.extras.insert(extras_.begin(), extras_.end());
    if (event.breadcrumbs.empty()) {
        event.breadcrumbs.assign(breadcrumbs_.begin(), breadcrumbs_.end());
    }
}

} // namespace sentry

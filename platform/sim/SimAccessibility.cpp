#include "platform/sim/SimAccessibility.h"

#include <algorithm>

namespace platform::sim {

namespace {
using Desktop = SimulatedDesktop;

AXCopyResult found(Value value) {
    return {kAXErrorSuccess, std::move(value)};
}

AXCopyResult failed(AXError error) {
    return {error, {}};
}

Value elementList(const std::vector<AXUIElement>& elements) {
    Value::List list(elements.begin(), elements.end());
    return list;
}

// Which part of a status item an element is: the item, its menu or one of the menu's items.
std::uint64_t partOf(const AXUIElement& element) {
    return element.identifier() & ((std::uint64_t{1} << Desktop::serialShift) - 1);
}

bool contains(const std::vector<std::string>& list, std::string_view entry) {
    return std::find(list.begin(), list.end(), entry) != list.end();
}
} // namespace

// Observer.

SimAXObserver::SimAXObserver(SimulatedDesktop& desktop, pid_t pid, Callback callback)
    : desktop_(desktop), pid_(pid), callback_(std::move(callback)) {}

SimAXObserver::~SimAXObserver() {
    source_->cancelAll();
}

AXError SimAXObserver::addNotification(const AXUIElement& element, std::string_view name) {
    std::lock_guard lock(desktop_.mutex_);
    if (element.pid() != pid_ || desktop_.findApp(pid_) == nullptr) {
        return kAXErrorInvalidUIElement;
    }
    if (!registrations_.emplace(element.identifier(), std::string(name)).second) {
        return kAXErrorNotificationAlreadyRegistered;
    }
    return kAXErrorSuccess;
}

AXError SimAXObserver::removeNotification(const AXUIElement& element, std::string_view name) {
    std::lock_guard lock(desktop_.mutex_);
    auto registration = registrations_.find(std::pair(element.identifier(), std::string(name)));
    if (element.pid() != pid_ || registration == registrations_.end()) {
        return kAXErrorNotificationNotRegistered;
    }
    registrations_.erase(registration);
    return kAXErrorSuccess;
}

void SimAXObserver::deliver(const std::string& name, const AXUIElement& element,
                            MonotonicTime due) {
    const bool registered =
        std::any_of(registrations_.begin(), registrations_.end(),
                    [&](const auto& registration) { return registration.second == name; });
    if (registered && callback_) {
        source_->schedule(due, [callback = callback_, element, name] { callback(element, name); });
    }
}

// Trust and observers.

bool SimAccessibility::isProcessTrusted(bool prompt) {
    std::lock_guard lock(desktop_.mutex_);
    const bool trusted = desktop_.trustedNow();
    if (prompt && !trusted) {
        ++desktop_.record_.trustPrompts;
        const auto& delay = desktop_.initial_.trust.grantOnPromptAfterMs;
        if (delay && !desktop_.trustGrantAt_) {
            const Duration wait = SimulatedDesktop::milliseconds(*delay);
            desktop_.trustGrantAt_ = desktop_.mainLoop_.clock().now() + wait;
            desktop_.changedAfter(wait);
        }
    }
    return trusted;
}

std::shared_ptr<AXObserver> SimAccessibility::createObserver(pid_t pid,
                                                             AXObserver::Callback callback) {
    std::lock_guard lock(desktop_.mutex_);
    if (!desktop_.trustedNow() || desktop_.findApp(pid) == nullptr) {
        return nullptr;
    }
    auto observer = std::make_shared<SimAXObserver>(desktop_, pid, std::move(callback));
    desktop_.observers_.push_back(observer);
    return observer;
}

// Reading.

AXError SimAccessibility::check(const AXUIElement& element) const {
    if (!desktop_.trustedNow()) {
        return kAXErrorAPIDisabled;
    }
    if (element.isNull()) {
        return kAXErrorIllegalArgument;
    }
    if (desktop_.findApp(element.pid()) == nullptr) {
        return kAXErrorInvalidUIElement;
    }
    return kAXErrorSuccess;
}

AXCopyResult SimAccessibility::copyAttributeValue(const AXUIElement& element,
                                                  std::string_view attribute) {
    std::lock_guard lock(desktop_.mutex_);
    if (AXError error = check(element)) {
        return failed(error);
    }
    const std::uint64_t id = element.identifier();
    if (id == 0) {
        return applicationAttribute(element, attribute);
    }
    if ((id >> Desktop::serialShift) == 0) {
        return menuBarAttribute(element, attribute);
    }
    const StatusItem* item = desktop_.findItem(id >> Desktop::serialShift);
    if (item == nullptr || item->description.pid != element.pid()) {
        return failed(kAXErrorInvalidUIElement);
    }
    const std::uint64_t part = partOf(element);
    if (part == Desktop::statusItemPart) {
        return statusItemAttribute(*item, attribute);
    }
    return menuAttribute(*item, part, attribute);
}

AXCopyResult SimAccessibility::applicationAttribute(const AXUIElement& element,
                                                    std::string_view attribute) {
    const pid_t pid = element.pid();
    if (attribute == kAXRoleAttribute) {
        return found(std::string(kAXApplicationRole));
    }
    if (attribute == kAXTitleAttribute) {
        const auto& name = desktop_.findApp(pid)->name;
        return name ? found(*name) : failed(kAXErrorNoValue);
    }
    if (attribute == kAXMenuBarAttribute) {
        return found(AXUIElement(pid, Desktop::menuBarElement));
    }
    if (attribute == kAXExtrasMenuBarAttribute) {
        const bool hasItems = !desktop_.itemPositionsOf(pid).empty();
        return hasItems ? found(AXUIElement(pid, Desktop::extrasMenuBarElement))
                        : failed(kAXErrorNoValue);
    }
    return failed(kAXErrorAttributeUnsupported);
}

AXCopyResult SimAccessibility::menuBarAttribute(const AXUIElement& element,
                                                std::string_view attribute) {
    const pid_t pid = element.pid();
    const std::uint64_t id = element.identifier();
    const bool frontmost = desktop_.frontmost_ == pid;
    const std::vector<std::string>& menus = desktop_.findApp(pid)->menus;
    if (id == Desktop::menuBarElement || id == Desktop::extrasMenuBarElement) {
        if (attribute == kAXRoleAttribute) {
            return found(std::string(kAXMenuBarRole));
        }
        if (attribute != kAXChildrenAttribute) {
            return failed(kAXErrorAttributeUnsupported);
        }
        std::vector<AXUIElement> children;
        if (id == Desktop::extrasMenuBarElement) {
            for (const std::size_t position : desktop_.itemPositionsOf(pid)) {
                children.emplace_back(pid,
                                      desktop_.items_[position].serial << Desktop::serialShift |
                                          Desktop::statusItemPart);
            }
        } else if (frontmost) {
            // Only the frontmost application shows its menus in the menu bar.
            for (std::size_t i = 0; i < menus.size(); ++i) {
                children.emplace_back(pid, Desktop::firstAppMenuElement + i);
            }
        }
        return found(elementList(children));
    }
    const std::size_t index = id - Desktop::firstAppMenuElement;
    if (id < Desktop::firstAppMenuElement || index >= menus.size() || !frontmost) {
        return failed(kAXErrorInvalidUIElement);
    }
    if (attribute == kAXRoleAttribute) {
        return found(std::string(kAXMenuBarItemRole));
    }
    if (attribute == kAXTitleAttribute) {
        return found(menus[index]);
    }
    if (attribute == kAXChildrenAttribute) {
        return found(Value::List{});
    }
    const CGRect frame = StatusBarLayout::layOutMenus(menus, desktop_.primary())[index];
    if (attribute == kAXPositionAttribute) {
        return found(frame.origin);
    }
    if (attribute == kAXSizeAttribute) {
        return found(frame.size);
    }
    return failed(kAXErrorAttributeUnsupported);
}

AXCopyResult SimAccessibility::statusItemAttribute(const StatusItem& item,
                                                   std::string_view attribute) {
    const auto& attributes = item.description.attributes;
    if (auto given = attributes.find(attribute); given != attributes.end()) {
        return given->second.isAbsent() ? failed(kAXErrorNoValue) : found(given->second);
    }
    if (attribute == kAXRoleAttribute) {
        return found(std::string(kAXMenuBarItemRole));
    }
    if (attribute == kAXSubroleAttribute) {
        return found(std::string(kAXMenuExtraSubrole));
    }
    if (attribute == kAXPositionAttribute) {
        return found(item.axFrame.origin);
    }
    if (attribute == kAXSizeAttribute) {
        return found(item.axFrame.size);
    }
    if (attribute == kAXChildrenAttribute) {
        std::vector<AXUIElement> children;
        if (item.menuOpen) {
            children.emplace_back(item.description.pid,
                                  item.serial << Desktop::serialShift | Desktop::menuPart);
        }
        return found(elementList(children));
    }
    return failed(kAXErrorAttributeUnsupported);
}

AXCopyResult SimAccessibility::menuAttribute(const StatusItem& item, std::uint64_t part,
                                             std::string_view attribute) {
    const std::vector<std::string>& titles =
        item.description.menu ? item.description.menu->items : std::vector<std::string>{};
    const bool isMenu = part == Desktop::menuPart;
    const std::size_t index = part - Desktop::firstMenuItemPart;
    if (!item.menuOpen ||
        (!isMenu && (part < Desktop::firstMenuItemPart || index >= titles.size()))) {
        return failed(kAXErrorInvalidUIElement);
    }
    if (attribute == kAXRoleAttribute) {
        return found(std::string(isMenu ? kAXMenuRole : kAXMenuItemRole));
    }
    if (attribute == kAXTitleAttribute) {
        return found(isMenu ? std::string() : titles[index]);
    }
    if (attribute == kAXChildrenAttribute) {
        std::vector<AXUIElement> children;
        for (std::size_t i = 0; isMenu && i < titles.size(); ++i) {
            children.emplace_back(item.description.pid, item.serial << Desktop::serialShift |
                                                            (Desktop::firstMenuItemPart + i));
        }
        return found(elementList(children));
    }
    return failed(kAXErrorAttributeUnsupported);
}

// Actions.

AXCopyResult SimAccessibility::copyActionNames(const AXUIElement& element) {
    std::lock_guard lock(desktop_.mutex_);
    if (AXError error = check(element)) {
        return failed(error);
    }
    const StatusItem* item = desktop_.findItem(element.identifier() >> Desktop::serialShift);
    const bool isStatusItem = item != nullptr && item->description.pid == element.pid() &&
                              partOf(element) == Desktop::statusItemPart;
    if (!isStatusItem) {
        return found(Value::List{});
    }
    return found(Value::List(item->description.actions.begin(), item->description.actions.end()));
}

AXError SimAccessibility::performAction(const AXUIElement& element, std::string_view action) {
    std::lock_guard lock(desktop_.mutex_);
    if (AXError error = check(element)) {
        return error;
    }
    StatusItem* item = desktop_.findItem(element.identifier() >> Desktop::serialShift);
    if (item == nullptr || item->description.pid != element.pid() ||
        partOf(element) != Desktop::statusItemPart) {
        return kAXErrorActionUnsupported;
    }
    return performOnStatusItem(*item, action);
}

AXError SimAccessibility::performOnStatusItem(StatusItem& item, std::string_view action) {
    const StatusItemDescription& description = item.description;
    if (!contains(description.actions, action)) {
        return kAXErrorActionUnsupported;
    }
    if (auto quirk = description.actionQuirks.find(action);
        quirk != description.actionQuirks.end()) {
        switch (quirk->second.kind) {
        case ActionQuirk::Kind::unsupported:
            return kAXErrorActionUnsupported;
        case ActionQuirk::Kind::acceptedWithoutEffect:
            return kAXErrorSuccess;
        case ActionQuirk::Kind::transientFailures:
            if (int& left = item.failuresLeft[std::string(action)]; left > 0) {
                --left;
                return kAXErrorCannotComplete;
            }
            break;
        case ActionQuirk::Kind::normal:
            break;
        }
    }
    if (action == kAXCancelAction) {
        desktop_.changed();
        item.menuOpen = false;
    } else if (description.menu && contains(description.menu->opensOn, action)) {
        desktop_.openMenu(item);
    }
    return kAXErrorSuccess;
}

} // namespace platform::sim

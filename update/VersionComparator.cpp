#include "update/VersionComparator.h"

#include <optional>

namespace update::VersionComparator {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isSeparator(char c) {
    return c == '.' || c == '-' || c == '_' || c == '+' || c == ' ';
}

struct Run {
    std::string_view text;
    bool number = false;
};

// Reads the next run from `rest`, skipping separators; none at the end.
std::optional<Run> nextRun(std::string_view& rest) {
    while (!rest.empty() && isSeparator(rest.front())) {
        rest.remove_prefix(1);
    }
    if (rest.empty()) {
        return std::nullopt;
    }
    const bool number = isDigit(rest.front());
    std::size_t length = 0;
    while (length < rest.size() && !isSeparator(rest[length]) && isDigit(rest[length]) == number) {
        ++length;
    }
    Run run{rest.substr(0, length), number};
    rest.remove_prefix(length);
    return run;
}

std::strong_ordering compareNumbers(std::string_view lhs, std::string_view rhs) {
    while (lhs.size() > 1 && lhs.front() == '0') {
        lhs.remove_prefix(1);
    }
    while (rhs.size() > 1 && rhs.front() == '0') {
        rhs.remove_prefix(1);
    }
    if (lhs.size() != rhs.size()) {
        return lhs.size() <=> rhs.size();
    }
    return lhs.compare(rhs) <=> 0;
}

} // namespace

std::strong_ordering compare(std::string_view lhs, std::string_view rhs) {
    while (true) {
        const auto left = nextRun(lhs);
        const auto right = nextRun(rhs);
        if (!left && !right) {
            return std::strong_ordering::equal;
        }
        if (!left) {
            return right->number ? std::strong_ordering::less : std::strong_ordering::greater;
        }
        if (!right) {
            return left->number ? std::strong_ordering::greater : std::strong_ordering::less;
        }
        if (left->number != right->number) {
            return left->number ? std::strong_ordering::greater : std::strong_ordering::less;
        }
        const auto order = left->number ? compareNumbers(left->text, right->text)
                                        : (left->text.compare(right->text) <=> 0);
        if (order != std::strong_ordering::equal) {
            return order;
        }
    }
}

} // namespace update::VersionComparator

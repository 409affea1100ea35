#pragma once

#include "core/RawValue.h"

namespace QelCore {

// The phase of a menu-open request in which an attempt ran.
enum class MenuOpenPipelinePhase { lightweight, visibilityReveal, postReveal };

template <> struct RawValues<MenuOpenPipelinePhase> {
    using enum MenuOpenPipelinePhase;
    static constexpr std::array<std::pair<MenuOpenPipelinePhase, std::string_view>, 3> table{{
        {lightweight, "lightweight"},
        {visibilityReveal, "visibilityReveal"},
        {postReveal, "postReveal"},
    }};
};

} // namespace QelCore

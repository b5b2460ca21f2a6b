#pragma once

#include "settings/BuildKind.h"

class QWidget;

namespace nimbar {

// Overwrites the design captions with their Korean texts, once at start-up. English mode keeps
// the design captions. The Korean texts come from the installed translation (context
// "Captions").
void applyKoreanCaptions(QWidget* window, BuildKind kind, bool korean, bool elapse);

} // namespace nimbar

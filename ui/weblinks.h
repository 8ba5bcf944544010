#pragma once

#include "platform/shell.h"

namespace tintrix {

// The two web pages the program links to. Both are fixed; nothing configures them.
inline constexpr const char* kMakerWebsite = "https://www.quorvel.example/";
inline constexpr const char* kSignUpPage = "https://surf-rewards.example/signup?ref=quorvel";

// Asks the shell to show `address` in the user's browser. Returns at once; nothing is reported
// when the page cannot be opened.
void OpenWebPage(Shell& shell, const char* address);

}  // namespace tintrix

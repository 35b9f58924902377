#pragma once
// The texts of the credits window: the big scrolling credits and the small line of links.
#include <string>
#include <vector>

// 100 lines of credits, some of them empty.
const std::vector<std::string>& CreditsLines();
// Four links, each with a short description.
const std::vector<std::string>& LinkLines();

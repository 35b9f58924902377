#pragma once
// Writing an extracted file over the one of its name.
#include <string>
#include <vector>

namespace outside {

// Writes data as the whole of target, over what it held; a failed write removes target again.
bool ReplaceFileWith(const std::string& target, const std::vector<char>& data);

}  // namespace outside

#include "text_input.h"

#include <fstream>
#include <iostream>
#include <iterator>

namespace velmora::tool {

bool readInput(std::string_view path, std::string& text) {
  if (path == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return !std::cin.bad();
  }
  std::ifstream in{std::string(path), std::ios::binary};
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace velmora::tool

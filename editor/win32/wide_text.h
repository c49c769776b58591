// The window's texts are UTF-16; everything below it speaks UTF-8.
#pragma once

#include <string>
#include <string_view>

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

#pragma once
// The demo book with real pages: its movie, its popup page movie and the
// attached files that its pages export, written from code.
#include <filesystem>
#include <string>

namespace vellix::demo {

// The book's movie: a cover showing firstIndex, a contents page and one page
// per group of commands, with Korean labels in the device font _sans.
std::string DemoMovie();
// The popup page: shows _root.BOOKLOAD_FIRSTPAGE and closes on its button.
std::string PopupMovie();
// The attached picture, a 24-bit BMP.
std::string DemoPicture();
// The attached document, a one-page PDF.
std::string DemoDocument();

// Writes the whole book into `folder`/VellixDemo*: the generated files and
// the inputs of `inputs` (demo/book). False, with `error` set, on failure.
bool WriteDemoBook(const std::filesystem::path& inputs, const std::filesystem::path& folder, std::string& error);

}  // namespace vellix::demo

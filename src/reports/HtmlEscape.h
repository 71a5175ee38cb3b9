// Texts from the lists come from other programs and people: in a page they are written as plain
// text, never as markup.
//
//   EscapeHtml("Kunz & <b>", Apostrophe::Keep)   == "Kunz &amp; &lt;b&gt;"
//   EscapeHtml("\"O'Neill\"", Apostrophe::Keep)  == "&quot;O'Neill&quot;"
//   EscapeHtml("O'Neill", Apostrophe::Escape)    == "O&#39;Neill"
//
// Every other byte, UTF-8 and Windows-1252 alike, stays as it is.
#pragma once

#include <string>
#include <string_view>

namespace vandoret {

// Keep: for pages whose attributes are all in double quotes (the results page file);
// Escape: safe inside single-quoted attributes too (the live pages).
enum class Apostrophe { Keep, Escape };

std::string EscapeHtml(std::string_view text, Apostrophe apostrophe);

} // namespace vandoret

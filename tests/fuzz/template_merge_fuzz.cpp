// Merges arbitrary templates with arbitrary markers and replacements: the
// input is marker, zero byte, replacement, zero byte, template bytes. The
// merge must end, also for a replacement that holds the marker or keeps
// forming it again with its neighbours, and give one zero-terminated text.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "viewer/report/template_merger.h"

namespace {

// The template file of this process, removed when the process ends.
struct TemplateFile {
  std::string path = "/tmp/template_merge_fuzz_" + std::to_string(static_cast<long>(getpid())) + ".html";
  ~TemplateFile() { std::remove(path.c_str()); }
};

std::string NextPart(const std::string& input, size_t& at) {
  size_t end = input.find('\0', at);
  std::string part = input.substr(at, end == std::string::npos ? std::string::npos : end - at);
  at = end == std::string::npos ? input.size() : end + 1;
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t at = 0;
  std::string marker = NextPart(input, at);
  std::string replacement = NextPart(input, at);
  std::string templateBytes = input.substr(at);

  static const TemplateFile templateFile;
  const std::string& path = templateFile.path;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(templateBytes.data(), 1, templateBytes.size(), file);
  std::fclose(file);

  const char* markers[] = {marker.c_str()};
  const std::string_view replacements[] = {replacement.c_str()};
  std::string merged;
  std::string error;
  if (!TemplateMerger::MergeTemplate(markers, replacements, 1, path.c_str(), merged, error)) std::abort();
  // The merged text is one zero-terminated text: no zero byte inside it.
  if (std::strlen(merged.c_str()) != merged.size()) std::abort();
  return 0;
}

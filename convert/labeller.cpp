#include "convert/labeller.h"

#include "code/labels.h"

namespace quillox
{

Labeller::Labeller(std::string name, bool cNames) : name_(std::move(name)), cNames_(cNames) {}

std::string Labeller::next(const std::string& path)
{
    const std::string base = !name_.empty() ? name_
                             : path == "-"  ? (cNames_ ? cIdentifierOf("stdin") : "stdin")
                             : cNames_      ? cNameForFile(path)
                                            : labelForFile(path);
    std::string label = base;
    for (int n = 2; !used_.insert(label).second; ++n)
        label = base + "_" + std::to_string(n);
    return label;
}

} // namespace quillox

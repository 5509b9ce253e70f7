#include "convert/outputs.h"

#include "code/spritecode.h"
#include "code/toolchaindata.h"
#include "convert/imagemodule.h"
#include "convert/options.h"
#include "files/calculatorfile.h"
#include "files/spritefile.h"

namespace quillox
{

bool OutputWriter::finish(std::string&, std::string&)
{
    return true;
}

namespace
{

// The editor's code, as the .z80 save writes it.
class CodeWriter : public OutputWriter
{
public:
    explicit CodeWriter(const Options&) {}
    bool write(const SpritePixels& pixels, const std::string& label, std::string& out,
               std::string&) override
    {
        if (!label.empty())
            out += label + ":\r\n";
        out += codeFileBytes(spriteCode(spriteOfPixels(pixels)));
        return true;
    }
};

// Assembler bytes in the chosen directive and radix.
class BytesWriter : public OutputWriter
{
public:
    explicit BytesWriter(const Options& options) : style_(options.style) {}
    bool write(const SpritePixels& pixels, const std::string& label, std::string& out,
               std::string&) override
    {
        appendByteCode(out, pixels, style_, label);
        return true;
    }

private:
    ByteStyle style_;
};

class SpriteFileWriter : public OutputWriter
{
public:
    explicit SpriteFileWriter(const Options&) {}
    bool write(const SpritePixels& pixels, const std::string&, std::string& out,
               std::string&) override
    {
        out += spriteFileBytes(spriteFileText(spriteOfPixels(pixels)));
        return true;
    }
};

// Through the picture module, loaded only now.
class PngWriter : public OutputWriter
{
public:
    explicit PngWriter(const Options&) {}
    bool write(const SpritePixels& pixels, const std::string&, std::string& out,
               std::string& reason) override
    {
        const ImageCodec* codec = loadImageCodec(reason);
        if (!codec)
            return false;
        out += codec->pngOfPixels(pixels);
        return true;
    }
};

// Only the first sprite of the output is named: the others follow it in memory.
class AxeWriter : public OutputWriter
{
public:
    explicit AxeWriter(const Options& options)
        : style_(options.style), name_(options.labelName), ptMask_(options.ptMask)
    {
    }
    bool write(const SpritePixels& pixels, const std::string&, std::string& out,
               std::string& reason) override
    {
        if (ptMask_ && !isPtMaskSize(pixels)) {
            reason = "the picture is " + std::to_string(pixels.width) + " x " +
                     std::to_string(pixels.height) +
                     " pixels; --pt-mask draws 8 x 8 (give --tile=8x8 for a sheet)";
            return false;
        }
        if (ptMask_)
            appendPtMaskData(out, pixels, name_);
        else
            appendAxeData(out, pixels, style_, name_);
        name_.clear();
        return true;
    }

private:
    ByteStyle style_;
    std::string name_;
    bool ptMask_;
};

class HexWriter : public OutputWriter
{
public:
    explicit HexWriter(const Options& options) : style_(options.style) {}
    bool write(const SpritePixels& pixels, const std::string&, std::string& out,
               std::string&) override
    {
        appendHexLine(out, pixels, style_);
        return true;
    }

private:
    ByteStyle style_;
};

class CWriter : public OutputWriter
{
public:
    explicit CWriter(const Options& options) : style_(options.style) {}
    bool write(const SpritePixels& pixels, const std::string& label, std::string& out,
               std::string&) override
    {
        appendCArrays(out, pixels, style_, label);
        return true;
    }

private:
    ByteStyle style_;
};

// Every sprite's bytes in one AppVar: its length must be known before it is
// written, so the bytes are gathered and counted on past what it can hold.
class AppVarWriter : public OutputWriter
{
public:
    explicit AppVarWriter(const Options& options)
        : style_(options.style), name_(*options.variableName), archived_(options.archived)
    {
    }
    bool write(const SpritePixels& pixels, const std::string&, std::string&, std::string&) override
    {
        const std::vector<unsigned char> bytes = spriteBytes(pixels, style_);
        size_ += bytes.size();
        if (size_ <= MaxAppVarContent)
            data_.append(bytes.begin(), bytes.end());
        return true;
    }
    bool finish(std::string& out, std::string& reason) override
    {
        if (size_ > MaxAppVarContent) {
            reason = "the sprites come to " + std::to_string(size_) +
                     " bytes; an AppVar holds at most " + std::to_string(MaxAppVarContent);
            return false;
        }
        out += appVarFile(name_, data_, archived_);
        return true;
    }

private:
    ByteStyle style_;
    std::string name_;
    bool archived_;
    std::string data_;
    unsigned long long size_ = 0;
};

// One picture of the calculator's screen.
class PicWriter : public OutputWriter
{
public:
    explicit PicWriter(const Options& options)
        : name_(*picVariableName(*options.variableName)), archived_(options.archived)
    {
    }
    bool write(const SpritePixels& pixels, const std::string&, std::string&,
               std::string& reason) override
    {
        std::optional<std::string> picture = picBytesOf(pixels, reason);
        if (picture)
            picture_ = std::move(*picture);
        return picture.has_value();
    }
    bool finish(std::string& out, std::string&) override
    {
        out += picFile(name_, picture_, archived_);
        return true;
    }

private:
    std::string name_;
    bool archived_;
    std::string picture_;
};

template <typename Writer> std::unique_ptr<OutputWriter> make(const Options& options)
{
    return std::make_unique<Writer>(options);
}

std::optional<std::string> checkCode(Options& options)
{
    if (options.picture.tileWidth > 15 || options.picture.tileHeight > 15)
        return "tiles over 15 x 15 go to byte data (--bytes, --to=axe, hex or c)";
    return std::nullopt;
}

std::optional<std::string> checkAppVar(Options& options)
{
    if (!options.variableName)
        return "--to=8xv needs the AppVar's name: --name=NAME";
    if (!isAppVarName(*options.variableName))
        return "'" + *options.variableName +
               "' is not an AppVar name: 1 to 8 letters and digits, a letter first";
    // An AppVar holds bytes of any size up to a sheet's.
    options.picture.wholeWidth = options.picture.wholeHeight = MaxPictureSide;
    return std::nullopt;
}

std::optional<std::string> checkPic(Options& options)
{
    if (!options.variableName)
        return "--to=8xi needs the picture's name: --name=Pic1 to Pic9, Pic0";
    if (!picVariableName(*options.variableName))
        return "'" + *options.variableName + "' is not a picture's name: Pic1 to Pic9 or Pic0";
    // A Pic is the screen.
    options.picture.wholeWidth = PicWidth;
    options.picture.wholeHeight = ScreenHeight;
    return std::nullopt;
}

constexpr HeaderKind Rows = HeaderKind::HeightAndBytesPerRow;
constexpr HeaderKind Size = HeaderKind::WidthAndHeight;

} // namespace

const std::vector<OutputFormat>& outputFormats()
{
    static const std::vector<OutputFormat> formats{
        {"code", CropsToSprite, LabelRule::Assembler, Rows, nullptr, checkCode, make<CodeWriter>},
        {"bytes", ByteData | AssemblerSyntax, LabelRule::Assembler, Rows, nullptr, nullptr,
         make<BytesWriter>},
        {"spr", OneInput | CropsToSprite, LabelRule::None, Rows, nullptr, nullptr,
         make<SpriteFileWriter>},
        {"png", OneInput | Binary, LabelRule::None, Rows, "a PNG picture", nullptr,
         make<PngWriter>},
        {"axe", ByteData, LabelRule::Axe, Size, nullptr, nullptr, make<AxeWriter>},
        {"hex", ByteData, LabelRule::HexDigits, Rows, nullptr, nullptr, make<HexWriter>},
        {"c", ByteData, LabelRule::C, Size, nullptr, nullptr, make<CWriter>},
        {"8xv", ByteData | Binary | CalculatorFile, LabelRule::None, Rows, "a calculator file",
         checkAppVar, make<AppVarWriter>},
        {"8xi", OneInput | Binary | CalculatorFile, LabelRule::None, Rows, "a calculator file",
         checkPic, make<PicWriter>},
    };
    return formats;
}

const OutputFormat* outputFormat(std::string_view name)
{
    for (const OutputFormat& format : outputFormats())
        if (name == format.name)
            return &format;
    return nullptr;
}

} // namespace quillox

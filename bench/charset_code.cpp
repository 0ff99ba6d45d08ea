#include "charset_code.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>
#include <ZXing/MultiFormatWriter.h>
#include <ZXing/TextUtfEncoding.h>
#include <iconv.h>
#include <opencv2/objdetect.hpp>

#include <memory>
#include <stdexcept>

namespace bench {
namespace {

std::string converted(const std::string& utf8Text, const std::string& characterSet)
{
    const std::unique_ptr<void, int (*)(iconv_t)> converter(iconv_open(characterSet.c_str(), "UTF-8"), iconv_close);
    if (converter.get() == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("no converter to " + characterSet);
    }
    std::string input = utf8Text;
    std::string output(input.size() * 4, '\0');
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    if (iconv(converter.get(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        throw std::runtime_error("text not representable in " + characterSet);
    }
    output.resize(output.size() - outLeft);
    return output;
}

cv::Mat writerModules(const std::string& utf8Text, const std::string& characterSet)
{
    const auto matrix = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                            .setEncoding(ZXing::CharacterSetFromString(characterSet))
                            .setMargin(2)
                            .encode(ZXing::TextUtfEncoding::FromUtf8(utf8Text), 1, 1);
    cv::Mat modules(matrix.height(), matrix.width(), CV_8U);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x) {
            modules.at<uchar>(y, x) = matrix.get(x, y) ? 0 : 255;
        }
    }
    return modules;
}

cv::Mat bareModules(const std::string& utf8Text, const std::string& characterSet)
{
    cv::Mat modules;
    cv::QRCodeEncoder::create()->encode(converted(utf8Text, characterSet), modules);
    return modules;
}

}

bool charsetCodesAvailable()
{
    return true;
}

cv::Mat charsetModules(const std::string& utf8Text, const std::string& characterSet, CharsetMode mode)
{
    return mode == CharsetMode::writer ? writerModules(utf8Text, characterSet) : bareModules(utf8Text, characterSet);
}

}

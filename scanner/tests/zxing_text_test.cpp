#include "footage.h"

#include "decoding/decoder.h"
#include "run/scan_region.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>
#include <ZXing/MultiFormatWriter.h>
#include <ZXing/TextUtfEncoding.h>
#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

namespace {

// A frame with the code ZXing's writer makes for text in characterSet: Kanji
// mode for Shift_JIS kanji, byte mode with an ECI designator otherwise.
cv::Mat frameWithCode(const std::string& text, ZXing::CharacterSet characterSet)
{
    const auto matrix = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                            .setEncoding(characterSet)
                            .setMargin(4)
                            .encode(ZXing::TextUtfEncoding::FromUtf8(text), 1, 1);
    cv::Mat modules(matrix.height(), matrix.width(), CV_8U);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x) {
            modules.at<uchar>(y, x) = matrix.get(x, y) ? 0 : 255;
        }
    }
    cv::Mat code;
    cv::cvtColor(footage::scaledModules(modules, 6), code, cv::COLOR_GRAY2BGR);
    cv::Mat frame = footage::frameWith({});
    code.copyTo(frame(cv::Rect({760, 400}, code.size())));
    return frame;
}

// What ZXing-cpp and the port of ZXing's reader find of the character sets a
// code names reaches the text.
TEST(ZxingText, ReadsTheSetsACodeNames)
{
    const struct {
        std::string text;
        ZXing::CharacterSet characterSet;
    } codes[] = {
        {"東京駅予約", ZXing::CharacterSet::Shift_JIS},
        {"二维码测试", ZXing::CharacterSet::GB18030},
        {"Grüße C:\\dir\\\\x", ZXing::CharacterSet::UTF8},
        {"été ÀÖ", ZXing::CharacterSet::ISO8859_1},
    };
    for (const auto kind : {scanlet::DecoderKind::ZXing, scanlet::DecoderKind::ZXingPort}) {
        for (const auto& code : codes) {
            const cv::Mat frame = frameWithCode(code.text, code.characterSet);
            const auto decoded = scanlet::makeDecoder(kind)->decode(frame(scanlet::scanRegion(frame.size())));
            EXPECT_EQ(decoded.text, code.text) << "decoder " << static_cast<int>(kind);
        }
    }
}

}

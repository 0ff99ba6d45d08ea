#include "qr_symbol_builder.h"

#include "payload_symbol.h"

#include <zxing/common/bitmatrix.hpp>
#include <zxing/common/reedsolomon/genericgf.hpp>
#include <zxing/qrcode/decoder/datamask.hpp>
#include <zxing/qrcode/error_correction_level.hpp>
#include <zxing/qrcode/version.hpp>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace qr_symbol_builder {

namespace {

struct Blocks {
    std::vector<int> dataSizes;
    int ecCodewords = 0;
};

zxing::qrcode::Version& versionFor(int number)
{
    zxing::ErrorHandler error;
    zxing::qrcode::Version* version = zxing::qrcode::Version::getVersionForNumber(number, error);
    if (error.ErrCode() || version == nullptr) {
        throw std::invalid_argument("no QR version " + std::to_string(number));
    }
    return *version;
}

Blocks blocksOf(zxing::qrcode::Version& version, int levelBits)
{
    zxing::ErrorHandler error;
    zxing::qrcode::ErrorCorrectionLevel& level = zxing::qrcode::ErrorCorrectionLevel::forBits(levelBits & 3, error);
    zxing::qrcode::ECBlocks& ecBlocks = version.getECBlocksForLevel(level);
    Blocks blocks;
    blocks.ecCodewords = ecBlocks.getECCodewords();
    for (auto* group : ecBlocks.getECBlocks()) {
        blocks.dataSizes.insert(blocks.dataSizes.end(), group->getCount(), group->getDataCodewords());
    }
    return blocks;
}

// The remainder of data * x^n divided by the generator whose roots are
// alpha^0 .. alpha^(n-1), the error correction codewords a QR block carries.
std::vector<int> errorCorrectionOf(const std::vector<int>& data, int n, zxing::GenericGF& field)
{
    std::vector<int> generator{1};
    for (int i = 0; i < n; ++i) {
        std::vector<int> next(generator.size() + 1, 0);
        for (std::size_t j = 0; j < generator.size(); ++j) {
            next[j] ^= generator[j];
            next[j + 1] ^= field.multiply(generator[j], field.exp(i));
        }
        generator = std::move(next);
    }
    std::vector<int> remainder(static_cast<std::size_t>(n), 0);
    for (const int codeword : data) {
        const int factor = codeword ^ remainder.front();
        std::rotate(remainder.begin(), remainder.begin() + 1, remainder.end());
        remainder.back() = 0;
        for (int k = 0; k < n; ++k) {
            remainder[static_cast<std::size_t>(k)] ^= field.multiply(generator[static_cast<std::size_t>(k) + 1], factor);
        }
    }
    return remainder;
}

// Data codewords of every block, then error correction codewords of every
// block, each taken a column at a time across the blocks.
std::vector<int> interleaved(const Blocks& blocks, const std::string& dataCodewords)
{
    // The port's QR field, spelled by its macro.
    using zxing::GenericGF;
    using zxing::gf_err_handler_;
    static const zxing::Ref<GenericGF> field(GF_QR_CODE_FIELD_256);
    std::vector<std::vector<int>> data;
    std::vector<std::vector<int>> ecc;
    std::size_t offset = 0;
    for (const int size : blocks.dataSizes) {
        std::vector<int> block(static_cast<std::size_t>(size), 0);
        for (std::size_t i = 0; i < block.size() && offset + i < dataCodewords.size(); ++i) {
            block[i] = static_cast<unsigned char>(dataCodewords[offset + i]);
        }
        offset += block.size();
        ecc.push_back(errorCorrectionOf(block, blocks.ecCodewords, *field));
        data.push_back(std::move(block));
    }
    std::vector<int> all;
    const int longest = *std::max_element(blocks.dataSizes.begin(), blocks.dataSizes.end());
    for (int i = 0; i < longest; ++i) {
        for (const auto& block : data) {
            if (static_cast<std::size_t>(i) < block.size()) {
                all.push_back(block[static_cast<std::size_t>(i)]);
            }
        }
    }
    for (int i = 0; i < blocks.ecCodewords; ++i) {
        for (const auto& block : ecc) {
            all.push_back(block[static_cast<std::size_t>(i)]);
        }
    }
    return all;
}

// Five bits of level and mask, extended by BCH(15,5) and masked so that no
// format information is all light.
int formatBits(int levelBits, int mask)
{
    const int data = (levelBits & 3) << 3 | mask;
    int remainder = data << 10;
    for (int bit = 14; bit >= 10; --bit) {
        if ((remainder >> bit) & 1) {
            remainder ^= 0x537 << (bit - 10);
        }
    }
    return ((data << 10) | remainder) ^ 0x5412;
}

}

int dataCodewordCount(int version, int levelBits)
{
    const Blocks blocks = blocksOf(versionFor(version), levelBits);
    int total = 0;
    for (const int size : blocks.dataSizes) {
        total += size;
    }
    return total;
}

cv::Mat modules(int versionNumber, int levelBits, int mask, const std::string& dataCodewords)
{
    mask &= 7;
    zxing::qrcode::Version& version = versionFor(versionNumber);
    zxing::ErrorHandler error;
    const int dimension = version.getDimensionForVersion(error);
    zxing::Ref<zxing::BitMatrix> function = version.buildFunctionPattern(error);
    zxing::Ref<zxing::BitMatrix> symbol = version.buildFixedPatternValue(error);
    zxing::BitMatrix data(dimension, error);
    if (error.ErrCode()) {
        throw std::runtime_error("the port cannot lay out version " + std::to_string(versionNumber));
    }

    // The order the port's BitMatrixParser reads them in: column pairs from
    // the right, up and down in turn, skipping the vertical timing pattern.
    const std::vector<int> codewords = interleaved(blocksOf(version, levelBits), dataCodewords);
    std::size_t bit = 0;
    bool upwards = true;
    for (int x = dimension - 1; x > 0; x -= 2) {
        if (x == 6) {
            --x;
        }
        for (int counter = 0; counter < dimension; ++counter) {
            const int y = upwards ? dimension - 1 - counter : counter;
            for (int column = 0; column < 2; ++column) {
                if (function->get(x - column, y)) {
                    continue;
                }
                if (bit / 8 < codewords.size() && ((codewords[bit / 8] >> (7 - bit % 8)) & 1)) {
                    data.set(x - column, y);
                }
                ++bit;
            }
        }
        upwards = !upwards;
    }
    zxing::qrcode::DataMask::forReference(mask, error).unmaskBitMatrix(data, static_cast<std::size_t>(dimension));
    for (int y = 0; y < dimension; ++y) {
        for (int x = 0; x < dimension; ++x) {
            if (!function->get(x, y)) {
                symbol->set(x, y, data.get(x, y));
            }
        }
    }

    // Both copies of the format information, most significant bit first in
    // the order the reader collects them.
    const int format = formatBits(levelBits, mask);
    const auto put = [&](int x, int y, int value, int index) { symbol->set(x, y, ((value >> index) & 1) != 0); };
    const int firstCopy[15][2] = {{0, 8}, {1, 8}, {2, 8}, {3, 8}, {4, 8}, {5, 8}, {7, 8}, {8, 8},
                                  {8, 7}, {8, 5}, {8, 4}, {8, 3}, {8, 2}, {8, 1}, {8, 0}};
    for (int k = 0; k < 15; ++k) {
        put(firstCopy[k][0], firstCopy[k][1], format, 14 - k);
        const bool down = k < 7;
        put(down ? 8 : dimension - 15 + k, down ? dimension - 1 - k : 8, format, 14 - k);
    }
    // The dark module beside the lower left finder pattern.
    symbol->set(8, dimension - 8);

    if (versionNumber >= 7) {
        const int versionBits = static_cast<int>(zxing::qrcode::Version::VERSION_DECODE_INFO[versionNumber - 7]);
        int index = 17;
        for (int major = 5; major >= 0; --major) {
            for (int minor = dimension - 9; minor >= dimension - 11; --minor, --index) {
                put(minor, major, versionBits, index);
                put(major, minor, versionBits, index);
            }
        }
    }

    cv::Mat grey(dimension, dimension, CV_8U);
    for (int y = 0; y < dimension; ++y) {
        for (int x = 0; x < dimension; ++x) {
            grey.at<unsigned char>(y, x) = symbol->get(x, y) ? 0 : 255;
        }
    }
    return grey;
}

cv::Mat render(const cv::Mat& modules, int moduleSize, int quietModules)
{
    cv::Mat padded;
    cv::copyMakeBorder(modules, padded, quietModules, quietModules, quietModules, quietModules, cv::BORDER_CONSTANT,
                       cv::Scalar(255));
    cv::Mat image;
    cv::resize(padded, image, padded.size() * moduleSize, 0, 0, cv::INTER_NEAREST);
    return image;
}

std::string byteModeCodewords(const std::string& text, int version, int levelBits)
{
    const int capacity = dataCodewordCount(version, levelBits);
    const int countBits = version <= 9 ? 8 : 16;
    if (4 + countBits + static_cast<long>(text.size()) * 8 > static_cast<long>(capacity) * 8) {
        throw std::invalid_argument("the text does not fit the symbol");
    }
    payload_symbol::BitWriter stream;
    stream.put(0x4, 4).put(static_cast<std::uint32_t>(text.size()), countBits).putBytes(text);
    // The segment ends four bits into a byte, so the writer's zero bits that
    // fill that byte are the terminator.
    std::string codewords = stream.codewords();
    for (int pad = 0; static_cast<int>(codewords.size()) < capacity; pad ^= 1) {
        codewords += static_cast<char>(pad == 0 ? 0xEC : 0x11);
    }
    return codewords;
}

}

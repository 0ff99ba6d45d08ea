// The cross-built OpenCV reads no PNG (it is built without libpng), so the
// photographs are read by Windows's own imaging component.
#include "grey_image.h"

#include <opencv2/imgproc.hpp>

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

namespace bench {
namespace {

using Microsoft::WRL::ComPtr;

// COM on the calling thread for as long as the object lives.
class ComApartment {
public:
    ComApartment() : entered(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComApartment()
    {
        if (entered) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool entered;
};

}

cv::Mat readGreyImage(const std::filesystem::path& file)
{
    const ComApartment apartment;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    // To BGRA first, which Wine converts every format to (grey of one bit too),
    // so that OpenCV's weights turn colour into grey, as cv::imread's do.
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(file.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height))) {
        return {};
    }
    cv::Mat colour(static_cast<int>(height), static_cast<int>(width), CV_8UC4);
    if (FAILED(converter->CopyPixels(nullptr, static_cast<UINT>(colour.step[0]),
                                     static_cast<UINT>(colour.total() * colour.elemSize()), colour.data))) {
        return {};
    }
    cv::Mat grey;
    cv::cvtColor(colour, grey, cv::COLOR_BGRA2GRAY);
    return grey;
}

}

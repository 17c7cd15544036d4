#include "gui/platform/appicon.h"

#include <QImage>
#include <QPixmap>
#include <future>
#include <vector>

namespace uFCom_Bas {

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The images as decoded, by the loading thread or on first use.
std::vector<QImage> decodeImages()
{
    std::vector<QImage> images;
    for (int size : kSizes) {
        QImage image(QStringLiteral(":/icons/hicolor/%1x%1/apps/uPVelmora.png").arg(size), "PNG");
        if (!image.isNull()) images.push_back(std::move(image));
    }
    return images;
}

// The images being decoded on the second thread, once it was started.  Both
// functions below run on the GUI thread.  A program that ends before it
// shows a window waits for the thread in this future's destructor.
std::future<std::vector<QImage>>& pendingImages()
{
    static std::future<std::vector<QImage>> images;
    return images;
}

}  // namespace

void startProgramIconLoad()
{
    // QImage is reentrant: the thread works on its own images only.
    if (!pendingImages().valid()) pendingImages() = std::async(std::launch::async, decodeImages);
}

QIcon programIcon()
{
    static const QIcon icon = []() {
        std::future<std::vector<QImage>>& pending = pendingImages();
        std::vector<QImage> images = pending.valid() ? pending.get() : std::vector<QImage>();
        if (images.empty()) images = decodeImages();
        QIcon result;
        for (const QImage& image : images) result.addPixmap(QPixmap::fromImage(image));
        return result;
    }();
    return icon;
}

}  // namespace uFCom_Bas

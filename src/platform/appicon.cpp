#include "platform/appicon.h"

#include <QImage>
#include <QPixmap>
#include <mutex>
#include <thread>
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

struct Loader {
    std::mutex mutex;
    std::thread thread;
    std::vector<QImage> images;
    // A program that ends before it shows a window still waits for it.
    ~Loader()
    {
        if (thread.joinable()) thread.join();
    }
};

Loader& loader()
{
    static Loader l;
    return l;
}

}  // namespace

void startProgramIconLoad()
{
    Loader& l = loader();
    std::lock_guard<std::mutex> guard(l.mutex);
    if (l.thread.joinable()) return;
    // QImage is reentrant: the thread works on its own images only.
    l.thread = std::thread([&l]() {
        std::vector<QImage> images = decodeImages();
        std::lock_guard<std::mutex> done(l.mutex);
        l.images = std::move(images);
    });
}

QIcon programIcon()
{
    static const QIcon icon = []() {
        Loader& l = loader();
        std::vector<QImage> images;
        {
            std::unique_lock<std::mutex> guard(l.mutex);
            std::thread thread = std::move(l.thread);
            guard.unlock();
            if (thread.joinable()) thread.join();
            guard.lock();
            images = std::move(l.images);
        }
        if (images.empty()) images = decodeImages();
        QIcon result;
        for (const QImage& image : images) result.addPixmap(QPixmap::fromImage(image));
        return result;
    }();
    return icon;
}

}  // namespace uFCom_Bas

#include "fluxen/app/update_checker.h"

#include "platform/network/http_fetch.h"

namespace fluxen {

UpdateChecker::~UpdateChecker() {
    if (m_thread.joinable())
        m_thread.join();
}

bool UpdateChecker::pingHome(const QUrl& url, int timeoutMs, QObject* context, Answer onAnswer) {
    if (m_thread.joinable())
        return false;
    QPointer<QObject> receiver(context);
    m_thread = std::thread([url, timeoutMs, receiver, onAnswer = std::move(onAnswer)] {
        std::optional<QByteArray> body;
        if (url.scheme() == QLatin1String("http")) {
            platform::FetchResult answer = platform::fetchAndWait({url, timeoutMs});
            if (answer)
                body = std::move(answer).value();
        }
        if (!receiver)
            return;
        QMetaObject::invokeMethod(
            receiver.data(),
            [receiver, onAnswer, body = std::move(body)] {
                if (receiver)
                    onAnswer(body);
            },
            Qt::QueuedConnection);
    });
    return true;
}

} // namespace fluxen

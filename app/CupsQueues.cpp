#include "CupsQueues.h"

#include <QCoreApplication>

#ifdef KALYX_WITH_CUPS
#include <cups/cups.h>
#endif

std::vector<CupsQueue> kalyxCupsQueues() {
    std::vector<CupsQueue> queues;
#ifdef KALYX_WITH_CUPS
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance)
            continue;
        const char* uri = cupsGetOption("device-uri", dests[i].num_options, dests[i].options);
        if (uri && QByteArray(uri).startsWith("kalyx://"))
            queues.push_back({QString::fromUtf8(dests[i].name), QString::fromUtf8(uri)});
    }
    cupsFreeDests(count, dests);
#endif
    return queues;
}

int submitToCupsQueue(const QString& queue, const QByteArray& job, const QString& title,
                      QString& reason) {
#ifdef KALYX_WITH_CUPS
    const QByteArray name = queue.toUtf8();
    const QByteArray jobTitle = title.toUtf8();
    const int id =
        cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), jobTitle.constData(), 0, nullptr);
    if (id <= 0) {
        reason = QString::fromUtf8(cupsLastErrorString());
        return 0;
    }
    // Typed by the scheduler, as `lp` does: the PRN type the package installs, raw otherwise.
    bool sent = cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), id, jobTitle.constData(),
                                  CUPS_FORMAT_AUTO, 1) == HTTP_STATUS_CONTINUE;
    sent = sent && cupsWriteRequestData(CUPS_HTTP_DEFAULT, job.constData(),
                                        std::size_t(job.size())) == HTTP_STATUS_CONTINUE;
    const ipp_status_t finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData());
    if (!sent || finished > IPP_STATUS_OK_CONFLICTING) {
        reason = QString::fromUtf8(cupsLastErrorString());
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), id, 0);
        return 0;
    }
    return id;
#else
    Q_UNUSED(queue)
    Q_UNUSED(job)
    Q_UNUSED(title)
    reason = QCoreApplication::translate("CupsQueues", "This system has no CUPS.");
    return 0;
#endif
}

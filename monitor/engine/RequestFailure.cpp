#include "RequestFailure.h"

#include "MemoryTable.h"

namespace {

QString requestText(const RequestFailure &failure)
{
    switch (failure.kind) {
    case RequestKind::Parameters:
        return QStringLiteral("파라메터 읽기");
    case RequestKind::ErrorHistory:
        return QStringLiteral("에러 메시지 읽기");
    case RequestKind::RegisterWrite:
        return QStringLiteral("레지스터 %1에 %2 쓰기").arg(failure.address).arg(failure.value);
    case RequestKind::MemoryRead:
        return QStringLiteral("메모리 읽기(%1블록 중 %2블록 완료)")
            .arg(MemoryTable::BlockCount)
            .arg(failure.blocksDone);
    case RequestKind::MemoryWrite:
        return QStringLiteral("메모리 전송(%1블록 중 %2블록 완료)")
            .arg(MemoryTable::BlockCount)
            .arg(failure.blocksDone);
    case RequestKind::Identification:
    case RequestKind::Status:
    case RequestKind::None:
        break;
    }
    return QStringLiteral("상태 읽기");
}

/// "SV 51~75, ON Time 1~25": the table's column and rows of each block.
QString blocksText(const QList<int> &blocks)
{
    static const QString columns[] = {QStringLiteral("SV"), QStringLiteral("ON Time"),
                                      QStringLiteral("OFF Time")};
    QStringList parts;
    for (const int block : blocks) {
        const int first = MemoryTable::blockFirstRow(block);
        parts.append(QStringLiteral("%1 %2~%3")
                         .arg(columns[MemoryTable::blockColumn(block) - 1])
                         .arg(first)
                         .arg(first + MemoryTable::BlockSize - 1));
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

QString RequestFailure::text() const
{
    const QString request = requestText(*this);
    const QString device = QStringLiteral("기기 %1번").arg(deviceNo);
    switch (reason) {
    case Reason::OutOfRange:
        return QStringLiteral("값이 기기가 받을 수 있는 범위를 벗어나 %1에 %2 요청을 보내지 "
                              "않았습니다.")
            .arg(device, request);
    case Reason::NoController:
        return QStringLiteral("요청을 보낼 기기가 없어 %1 요청을 보내지 않았습니다.").arg(request);
    case Reason::NotReadYet:
        return QStringLiteral("%1의 소수점 자리수를 아직 읽지 못해 %2 요청을 보내지 않았습니다. "
                              "잠시 후 다시 시도하십시오.")
            .arg(device, request);
    case Reason::Negative:
        return QStringLiteral("%1이 %2 요청을 3회 연속 거부(NG)했습니다. 요청을 취소했습니다.")
            .arg(device, request);
    case Reason::Corrupt:
        return QStringLiteral("%1의 응답이 3회 연속 손상(CRC)되어 %2 요청을 취소했습니다.")
            .arg(device, request);
    case Reason::NoReply:
        return QStringLiteral("%1이 %2 요청에 3회 연속 응답하지 않았습니다. 요청을 "
                              "취소했습니다.")
            .arg(device, request);
    case Reason::LineClosed:
        return QStringLiteral("통신포트가 닫혀 %1에 대한 %2 요청을 마치지 못했습니다.")
            .arg(device, request);
    case Reason::Replaced:
        return QStringLiteral("다른 요청이 먼저 처리되어 %1에 대한 %2 요청을 중단했습니다.")
            .arg(device, request);
    case Reason::Unconfirmed:
        return QStringLiteral("%1의 응답이 늦게 도착해 %2 값을 확인하지 못했습니다. 요청을 "
                              "취소했습니다.")
            .arg(device, request);
    case Reason::Unverified:
        return QStringLiteral("%1에 보낸 메모리 중 %2이(가) 기기에서 다시 읽은 값과 다릅니다. "
                              "다시 전송하십시오.")
            .arg(device, blocksText(blocks));
    }
    return request;
}

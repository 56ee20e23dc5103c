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
    }
    return request;
}

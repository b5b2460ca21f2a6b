#include "mqtt/MqttNotice.h"

namespace nimbar {

namespace {

QString pick(bool korean, const char* english, const char* hangul) {
    return korean ? QString::fromUtf8(hangul) : QString::fromUtf8(english);
}

} // namespace

QString mqttNoticeText(const MqttNotice& notice, const QString& broker, bool korean) {
    using Kind = MqttNotice::Kind;
    QString text;
    switch (notice.kind) {
    case Kind::BadUrl:
        text = pick(korean,
                    "'%1' is not a broker address (mqtt://host[:port] or mqtts://host[:port]); "
                    "nothing is published.",
                    "'%1'은(는) 브로커 주소가 아닙니다 (mqtt://호스트[:포트] 또는 "
                    "mqtts://호스트[:포트]). 발행하지 않습니다.")
                   .arg(notice.detail);
        break;
    case Kind::BadTopic:
        text = pick(korean,
                    "'%1' is not a topic prefix (no '+', '#' or empty levels); nothing is "
                    "published.",
                    "'%1'은(는) 토픽 접두어가 아닙니다 ('+', '#', 빈 단계 불가). 발행하지 "
                    "않습니다.")
                   .arg(notice.detail);
        break;
    case Kind::BadSetting:
        text = pick(korean, "line %1 of the settings file is not 'key = value' and is skipped: %2",
                    "설정 파일 %1번째 줄은 '키 = 값' 형식이 아니어서 건너뜁니다: %2")
                   .arg(notice.count)
                   .arg(notice.detail);
        break;
    case Kind::UnknownKey:
        text = pick(korean, "line %1 of the settings file: unknown key '%2' is skipped.",
                    "설정 파일 %1번째 줄: 알 수 없는 키 '%2'을(를) 건너뜁니다.")
                   .arg(notice.count)
                   .arg(notice.detail);
        break;
    case Kind::TopicWithoutUrl:
        text = pick(korean, "a topic is given but no broker URL; nothing is published.",
                    "토픽은 있으나 브로커 URL이 없어 발행하지 않습니다.");
        break;
    case Kind::UnreadableFile:
        text = pick(korean, "cannot read %1; nothing is published.",
                    "%1 파일을 읽을 수 없어 발행하지 않습니다.")
                   .arg(notice.detail);
        break;
    case Kind::Connected:
        text = pick(korean, "publishing to %1.", "%1에 발행 중입니다.").arg(broker);
        break;
    case Kind::Reconnected:
        text = pick(korean, "%1 is back; %2 waiting records are being sent.",
                    "%1 연결이 복구되었습니다. 대기 중인 레코드 %2개를 보냅니다.")
                   .arg(broker)
                   .arg(notice.count);
        break;
    case Kind::CannotReach:
        text = pick(korean, "cannot reach %1 (%2); records are kept and sent when it answers.",
                    "%1에 연결할 수 없습니다 (%2). 레코드를 보관했다가 연결되면 보냅니다.")
                   .arg(broker, notice.detail);
        break;
    case Kind::UnknownHost:
        text = pick(korean, "unknown host '%1'; records are kept and sent when it can be reached.",
                    "알 수 없는 호스트 '%1'. 레코드를 보관했다가 연결되면 보냅니다.")
                   .arg(notice.detail);
        break;
    case Kind::Lost:
        text = pick(korean, "lost %1 (%2); records are kept and sent when it is back.",
                    "%1 연결이 끊어졌습니다 (%2). 레코드를 보관했다가 복구되면 보냅니다.")
                   .arg(broker, notice.detail);
        break;
    case Kind::Refused:
        text = pick(korean, "%1 refused the connection: %2. Trying again; records are kept.",
                    "%1이(가) 연결을 거부했습니다: %2. 다시 시도하며 레코드는 보관합니다.")
                   .arg(broker, notice.detail);
        break;
    case Kind::CredentialsRefused:
        text = pick(korean, "%1 refused the user name or password. Trying again; records are kept.",
                    "%1이(가) 사용자 이름 또는 암호를 거부했습니다. 다시 시도하며 레코드는 "
                    "보관합니다.")
                   .arg(broker);
        break;
    case Kind::NoAnswer:
        text = pick(korean,
                    "%1 took the connection but never answered it (not an MQTT broker?). "
                    "Trying again; records are kept.",
                    "%1이(가) 연결을 받았으나 응답하지 않습니다 (MQTT 브로커가 아닌가요?). "
                    "다시 시도하며 레코드는 보관합니다.")
                   .arg(broker);
        break;
    case Kind::TlsFailed:
        text = pick(korean, "TLS with %1 failed: %2. Trying again; records are kept.",
                    "%1과(와)의 TLS 연결 실패: %2. 다시 시도하며 레코드는 보관합니다.")
                   .arg(broker, notice.detail);
        break;
    case Kind::Dropped:
        text = pick(korean,
                    "the broker has been away too long: the %1 oldest waiting records were "
                    "given up (they are in the recording files).",
                    "브로커 연결이 너무 오래 끊겨 가장 오래된 대기 레코드 %1개를 포기했습니다 "
                    "(기록 파일에는 있습니다).")
                   .arg(notice.count);
        break;
    }
    return QStringLiteral("MQTT: ") + text;
}

} // namespace nimbar

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en">
<context>
    <name>Browser</name>
    <message>
        <source>Start Time</source>
        <translation>시작시각 </translation>
    </message>
    <message>
        <source>View Point</source>
        <translation>점 표시</translation>
    </message>
    <message>
        <source>Channel Visible</source>
        <translation>채널보기</translation>
    </message>
    <message>
        <source>Date/Time</source>
        <translation>날짜/시간</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>계기포트 </translation>
    </message>
    <message>
        <source>Start Date</source>
        <translation>시작날짜  </translation>
    </message>
    <message>
        <source>End Date</source>
        <translation>종료날짜  </translation>
    </message>
    <message>
        <source>Time</source>
        <translation>시간  </translation>
    </message>
    <message>
        <source>Draw Chart</source>
        <translation>그리기</translation>
    </message>
    <message>
        <source>Serial Number : </source>
        <translation>시리얼 번호 : </translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>확대</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>축소</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>자동</translation>
    </message>
    <message>
        <source>Smoothing</source>
        <translation>노이즈 억제</translation>
    </message>
    <message>
        <source>Subsampling</source>
        <translation>서브 샘플링</translation>
    </message>
    <message>
        <source>X Axis</source>
        <translation>X 축 </translation>
    </message>
    <message>
        <source>Save as TXT</source>
        <translation>TXT로 저장</translation>
    </message>
    <message>
        <source>Save as XLS</source>
        <translation>XLS로 저장</translation>
    </message>
    <message>
        <source>Print Chart</source>
        <translation>차트인쇄</translation>
    </message>
    <message>
        <source>Clipboard</source>
        <translation>클립보드복사</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Copy to Clipboard</source>
        <translation>클립보드로 복사</translation>
    </message>
    <message>
        <source>Modify Titles</source>
        <translation>제목변경</translation>
    </message>
    <message>
        <source>Get Average</source>
        <translation>평균값</translation>
    </message>
    <message>
        <source>Record Time (hh:mm:ss)</source>
        <translation>기록 시각 (hh:mm:ss)</translation>
    </message>
    <message>
        <source>Elapse Time (hh:mm:ss)</source>
        <translation>경과 시간 (hh:mm:ss)</translation>
    </message>
    <message>
        <source>Elapse Time (sec)</source>
        <translation>경과 시간 (sec)</translation>
    </message>
</context>
<context>
    <name>Captions</name>
    <message>
        <source>Scroll</source>
        <translation>스크롤</translation>
    </message>
    <message>
        <source>View Point</source>
        <translation>점 표시</translation>
    </message>
    <message>
        <source>Save To XLS</source>
        <translation>엑셀로저장</translation>
    </message>
    <message>
        <source>Save To TXT</source>
        <translation>Txt 저장</translation>
    </message>
    <message>
        <source>Save To BMP</source>
        <translation>그림저장</translation>
    </message>
    <message>
        <source>Save Memo</source>
        <translation>메모저장</translation>
    </message>
    <message>
        <source>Browser / Print</source>
        <translation>차트보기 / 인쇄</translation>
    </message>
    <message>
        <source>Channel Visible</source>
        <translation>채널보기</translation>
    </message>
    <message>
        <source>Alarm Set</source>
        <translation>알람 설정</translation>
    </message>
    <message>
        <source>Double click the memo to pause scrolling
After an alarm it stays red until clicked</source>
        <translation>메모를 중지하려면 메모장을 더블클릭하세요.
알람 후에는 클릭할 때까지 빨간색으로 남습니다</translation>
    </message>
    <message>
        <source>Disable All Networking</source>
        <translation>접속 불가</translation>
    </message>
    <message>
        <source>Receive Log</source>
        <translation>받은 내용</translation>
    </message>
    <message>
        <source>Send Log</source>
        <translation>보낸 내용</translation>
    </message>
    <message>
        <source>File</source>
        <translation>파일</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>종료</translation>
    </message>
    <message>
        <source>Configure</source>
        <translation>구성</translation>
    </message>
    <message>
        <source>Browser</source>
        <translation>차트 보기</translation>
    </message>
    <message>
        <source>To apply this values, you must restart this program.</source>
        <translation>프로그램을 다시 시작하면 적용됩니다.</translation>
    </message>
    <message>
        <source>Model : </source>
        <translation>모델명 :</translation>
    </message>
    <message>
        <source>Serial Number : </source>
        <translation>일련번호 :</translation>
    </message>
    <message>
        <source>Communication Port</source>
        <translation>통신 포트</translation>
    </message>
    <message>
        <source>Thermocouple type</source>
        <translation>열전대 타입</translation>
    </message>
    <message>
        <source>Voltage Correction Parameter</source>
        <translation>보정 계수</translation>
    </message>
    <message>
        <source>CJC Parameters</source>
        <translation>상온 보정 계수</translation>
    </message>
    <message>
        <source>Sampling Interval</source>
        <translation>측정 주기</translation>
    </message>
    <message>
        <source>Range Parameters</source>
        <translation>채널 측정 범위</translation>
    </message>
    <message>
        <source>Conversion Parameter</source>
        <translation>조정/변환 계수</translation>
    </message>
    <message>
        <source>D/O Relay</source>
        <translation>D/O 릴레이</translation>
    </message>
    <message>
        <source>Interlock D/O</source>
        <translation>알람 D/O 연동</translation>
    </message>
    <message>
        <source>CH%3 D/O On</source>
        <translation>채널%3 릴레이 출력   </translation>
    </message>
    <message>
        <source>Get Configure</source>
        <translation>프로그램 초기화</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>저장</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>기록 재시작</translation>
    </message>
    <message>
        <source>Cold Junction Temperature</source>
        <translation>기준냉점 온도</translation>
    </message>
    <message>
        <source>Elapse</source>
        <translation>경과시간  </translation>
    </message>
    <message>
        <source>Filter : </source>
        <translation>필터 : </translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 주소</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>연   결</translation>
    </message>
    <message>
        <source>Elapse Time</source>
        <translation>경과 시간 </translation>
    </message>
    <message>
        <source>Record Time</source>
        <translation>기록 시각 </translation>
    </message>
    <message>
        <source>Client List</source>
        <translation>접속자 목록</translation>
    </message>
    <message>
        <source>Server List</source>
        <translation>서버 목록</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>Start</source>
        <translation>시작 시각</translation>
    </message>
    <message>
        <source>End</source>
        <translation>종료 시각</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>총데이터수</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>관 리 자</translation>
    </message>
    <message>
        <source>M</source>
        <translation>정</translation>
    </message>
    <message>
        <source>S</source>
        <translation>부</translation>
    </message>
    <message>
        <source>Memo</source>
        <translation>메모</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>최소값</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>최대값</translation>
    </message>
    <message>
        <source>Avg</source>
        <translation>평균값</translation>
    </message>
    <message>
        <source>Std</source>
        <translation>표준편차</translation>
    </message>
</context>
<context>
    <name>nimbar::Engine</name>
    <message>
        <source>DAQ%1: record lost, cannot write %2</source>
        <translation>DAQ%1: 기록 실패, %2 에 쓸 수 없습니다</translation>
    </message>
    <message>
        <source>Chart %1 recording re-started.</source>
        <translation>차트 %1 기록 재시작되었습니다.</translation>
    </message>
    <message>
        <source>Cannot write %1: COM%2 stays bound to %3.</source>
        <translation>%1 파일에 쓸 수 없습니다: COM%2는 %3에 그대로 연결됩니다.</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1.</source>
        <translation>설정을 %1에 저장하지 못했습니다.</translation>
    </message>
    <message>
        <source>DAQ%1: the reference voltage Vs is not set, so CH0 and the thermocouple channels are invalid.</source>
        <translation>DAQ%1: 기준 전압 Vs가 설정되지 않아 CH0과 열전대 채널 값이 무효입니다.</translation>
    </message>
    <message>
        <source>Tref = &apos;%1&apos; is not a number: thermocouple channels are invalid.</source>
        <translation>Tref = &apos;%1&apos;은(는) 숫자가 아닙니다: 열전대 채널 값이 무효입니다.</translation>
    </message>
    <message>
        <source>Not shared on the network: %1</source>
        <translation>네트워크 공유 안 됨: %1</translation>
    </message>
    <message>
        <source>DAQ%1 since %2</source>
        <translation>DAQ%1 (%2부터)</translation>
    </message>
    <message>
        <source>Lost: %1</source>
        <translation>연결 끊김: %1</translation>
    </message>
</context>
<context>
    <name>nimbar::TForm1</name>
    <message>
        <source>Invalid data</source>
        <translation>값이 올바르지 않습니다.</translation>
    </message>
    <message>
        <source>Program Terminating... </source>
        <translation>프로그램 종료?</translation>
    </message>
    <message>
        <source>Exit Confirmation</source>
        <translation>종료 확인</translation>
    </message>
    <message>
        <source>Y-Range(</source>
        <translation>Y축 최대/최소(</translation>
    </message>
    <message>
        <source>Enter Y-Max </source>
        <translation>Y축 최대값을  입력하세요.  </translation>
    </message>
    <message>
        <source>The value is lower than minimum value!</source>
        <translation>Y축 최소치보다 작은 수치입니다!</translation>
    </message>
    <message>
        <source>Y-Range (</source>
        <translation>Y축 최대/최소 (</translation>
    </message>
    <message>
        <source>Enter Y-Min </source>
        <translation>Y축 최소값을 입력하세요.   </translation>
    </message>
    <message>
        <source>The value is greater than maximum value!</source>
        <translation>Y축 최대값보다 큰 수치입니다!</translation>
    </message>
    <message>
        <source>Chart Title</source>
        <translation>차트 제목 변경</translation>
    </message>
    <message>
        <source>Enter Chart Title</source>
        <translation>차트 제목을 입력하세요.   </translation>
    </message>
    <message>
        <source>Y-Axis Title</source>
        <translation>Y축 제목 변경</translation>
    </message>
    <message>
        <source>Enter Y-Axis Title</source>
        <translation>Y축 제목을 입력하세요.   </translation>
    </message>
    <message>
        <source>Memo Log paused. DblClick the memo to resume logging</source>
        <translation>메모가 일시 중지되었습니다. 다시 기록하려면 더블클릭하세요.</translation>
    </message>
    <message>
        <source>Memo Logging resumed.</source>
        <translation>메모가 다시 기록을 시작했습니다.</translation>
    </message>
    <message>
        <source>The data directory %1 cannot be stored: its path is longer than 80 bytes or holds characters outside code page 949. Choose another one.</source>
        <translation>데이터 폴더 %1은(는) 저장할 수 없습니다: 경로가 80바이트보다 길거나 코드 페이지 949에 없는 문자가 있습니다. 다른 폴더를 선택하세요.</translation>
    </message>
    <message>
        <source>There are some errors (%1 was not saved)</source>
        <translation>%1파일을 저장하는데 에러가 발생하였습니다.</translation>
    </message>
    <message>
        <source>The Chart is saved as %1 file</source>
        <translation>차트가 저장 되었습니다. :%1</translation>
    </message>
    <message>
        <source>The Log is saved as %1 file</source>
        <translation>로그가 저장 되었습니다. : %1</translation>
    </message>
    <message>
        <source>Records are being lost: the disk has not kept up and %1 records are waiting to be written.</source>
        <translation>기록 손실: 디스크가 따라가지 못해 기록 %1개가 쓰기를 기다리고 있습니다.</translation>
    </message>
    <message>
        <source>%1 records could not be written before the program ended: the disk did not answer.</source>
        <translation>디스크가 응답하지 않아 프로그램 종료 전에 기록 %1개를 쓰지 못했습니다.</translation>
    </message>
    <message>
        <source>DAQ%1 lost at %2; last line at %3</source>
        <translation>DAQ%1 연결 끊김 %2; 마지막 데이터 %3</translation>
    </message>
</context>
</TS>

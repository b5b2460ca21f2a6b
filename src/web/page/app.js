// The live page of the logger: the boards from /api/boards and /api/latest, the last hour of
// each board from /api/history, then every processed line from the WebSocket /api/live.
'use strict';

(function () {
    const TEXTS = {
        en: {
            model: 'Model',
            serial: 'Serial',
            start: 'Recording since',
            channel: 'Channel',
            value: 'Value',
            alarm: 'Alarm',
            high: 'HIGH',
            low: 'LOW',
            updated: 'Last line',
            waiting: 'no line yet',
            connecting: 'Connecting…',
            live: 'Live',
            lost: 'Connection lost, trying again…',
            noBoards: 'No board is running.',
            token: 'This logger asks for a token: open the page with ?token=… in its address.',
            failed: 'The logger did not answer: ',
        },
        ko: {
            model: '모델',
            serial: '시리얼',
            start: '기록 시작',
            channel: '채널',
            value: '값',
            alarm: '경보',
            high: '상한',
            low: '하한',
            updated: '최근 측정',
            waiting: '측정 대기 중',
            connecting: '연결 중…',
            live: '실시간',
            lost: '연결이 끊겼습니다. 다시 연결하는 중…',
            noBoards: '동작 중인 보드가 없습니다.',
            token: '이 로거는 토큰이 필요합니다. 주소에 ?token=… 을 붙여 여십시오.',
            failed: '로거가 응답하지 않습니다: ',
        },
    };
    const T = TEXTS[document.documentElement.lang === 'ko' ? 'ko' : 'en'];
    const COLORS = ['#6d6d6d', '#d62728', '#1f77b4', '#2ca02c', '#ff7f0e', '#9467bd', '#8c564b',
        '#e377c2', '#17becf'];
    const HOUR = 3600 * 1000;
    const token = new URLSearchParams(location.search).get('token');
    const headers = token ? { Authorization: 'Bearer ' + token } : {};

    const main = document.getElementById('boards');
    const status = document.getElementById('status');
    let boards = new Map(); // board number -> its view
    let socket = null;
    let generation = 0; // a rebuild makes the older loads' answers stale

    function element(tag, className, text) {
        const e = document.createElement(tag);
        if (className)
            e.className = className;
        if (text !== undefined)
            e.textContent = text;
        return e;
    }

    function setStatus(text, lost) {
        status.textContent = text;
        status.classList.toggle('lost', !!lost);
    }

    function showMessage(text) {
        main.replaceChildren(element('p', 'message', text));
    }

    async function get(path) {
        const response = await fetch(path, { headers: headers, cache: 'no-store' });
        if (!response.ok) {
            const error = new Error(response.status + ' ' + response.statusText);
            error.status = response.status;
            throw error;
        }
        return response;
    }

    function two(n) {
        return String(n).padStart(2, '0');
    }

    function clock(ms, seconds) {
        const d = new Date(ms);
        return two(d.getHours()) + ':' + two(d.getMinutes()) +
            (seconds ? ':' + two(d.getSeconds()) : '');
    }

    // Round steps of the time axis: at most about six labels over the points shown.
    const STEPS = [5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600].map((s) => s * 1000);
    function timeStep(span) {
        return STEPS.find((step) => span / step <= 6) || STEPS[STEPS.length - 1];
    }

    function longTime(ms) {
        const d = new Date(ms);
        return d.getFullYear() + '-' + two(d.getMonth() + 1) + '-' + two(d.getDate()) + ' ' +
            two(d.getHours()) + ':' + two(d.getMinutes()) + ':' + two(d.getSeconds());
    }

    function formatValue(value, unit) {
        if (value === null || value === undefined)
            return '–';
        return value.toFixed(unit === 'mV' ? 3 : 2) + ' ' + unit;
    }

    function makeChart(canvas, board) {
        const datasets = board.shown.map((c) => ({
            label: c.name,
            data: [],
            borderColor: COLORS[c.channel],
            backgroundColor: COLORS[c.channel],
            borderWidth: 1.5,
            pointRadius: 0,
            spanGaps: false,
        }));
        return new Chart(canvas, {
            type: 'line',
            data: { datasets: datasets },
            options: {
                animation: false,
                parsing: false,
                normalized: true,
                responsive: true,
                maintainAspectRatio: false,
                interaction: { mode: 'nearest', axis: 'x', intersect: false },
                scales: {
                    x: {
                        type: 'linear',
                        ticks: {
                            callback: (v) => clock(v, board.step < 60000),
                            maxRotation: 0,
                        },
                    },
                    y: { ticks: { maxTicksLimit: 6 } },
                },
                plugins: {
                    legend: { position: 'bottom', labels: { boxWidth: 10, boxHeight: 10 } },
                    tooltip: { callbacks: { title: (items) => longTime(items[0].parsed.x) } },
                },
            },
        });
    }

    function buildBoard(info) {
        const section = element('section', 'board');
        section.id = 'board-' + info.board;
        section.dataset.board = info.board;
        const title = element('h2');
        title.append(element('span', 'daq', 'DAQ' + info.board), info.jobTitle);
        section.append(title);

        const facts = element('dl', 'facts');
        const fact = (name, value, className) => {
            const group = element('div', className);
            group.append(element('dt', '', name), element('dd', '', value));
            facts.append(group);
        };
        fact(T.model, info.model, 'model');
        fact(T.serial, info.serial, 'serial');
        fact(T.start, info.recordingStart ? longTime(Date.parse(info.recordingStart)) : '–',
            'start');
        section.append(facts);

        const table = element('table', 'channels');
        const head = element('tr');
        head.append(element('th', '', T.channel), element('th', 'value', T.value),
            element('th', '', T.alarm));
        table.appendChild(element('thead')).append(head);
        const body = table.appendChild(element('tbody'));
        const shown = info.channels.filter((c) => c.visible);
        const rows = new Map();
        for (const c of shown) {
            const row = element('tr');
            row.dataset.channel = c.channel;
            const name = element('td', 'name');
            const swatch = element('span', 'swatch');
            swatch.style.background = COLORS[c.channel];
            name.append(swatch, c.name);
            row.append(name, element('td', 'value', '–'), element('td', 'alarm', ''));
            body.append(row);
            rows.set(c.channel, row);
        }
        section.append(table);

        const updated = element('p', 'updated', T.updated + ' ');
        const time = element('time', '', T.waiting);
        updated.append(time);
        section.append(updated);

        const box = element('div', 'chart');
        const canvas = element('canvas');
        box.append(canvas);
        section.append(box);
        main.append(section);

        const board = { info: info, shown: shown, rows: rows, time: time, chart: null, step: 60000 };
        board.chart = makeChart(canvas, board);
        return board;
    }

    function showLine(board, line) {
        if (!line.time)
            return;
        for (const c of board.shown) {
            const row = board.rows.get(c.channel);
            const value = line.values[c.channel];
            const alarm = line.alarms[c.channel];
            row.cells[1].textContent = formatValue(value, c.unit);
            row.cells[2].textContent = alarm === 'high' ? T.high : alarm === 'low' ? T.low : '';
            row.classList.toggle('alarm-high', alarm === 'high');
            row.classList.toggle('alarm-low', alarm === 'low');
        }
        board.time.dateTime = line.time;
        board.time.textContent = longTime(Date.parse(line.time));
    }

    function trim(data, now) {
        let old = 0;
        while (old < data.length && data[old].x < now - HOUR)
            ++old;
        if (old > 0)
            data.splice(0, old);
    }

    function addLine(board, line) {
        const x = Date.parse(line.time);
        board.chart.data.datasets.forEach((set, i) => {
            const data = set.data;
            if (data.length && data[data.length - 1].x >= x)
                return;
            data.push({ x: x, y: line.values[board.shown[i].channel] });
            trim(data, x);
        });
        scheduleDraw(board);
    }

    function scheduleDraw(board) {
        if (board.drawQueued)
            return;
        board.drawQueued = true;
        requestAnimationFrame(() => {
            board.drawQueued = false;
            const data = board.chart.data.datasets.length ? board.chart.data.datasets[0].data : [];
            const span = data.length > 1 ? data[data.length - 1].x - data[0].x : 0;
            board.step = timeStep(span);
            const x = board.chart.options.scales.x;
            x.ticks.stepSize = board.step;
            // Labels on round times of the step.
            x.min = data.length ? Math.floor(data[0].x / board.step) * board.step : undefined;
            board.chart.update('none');
        });
    }

    // "2026-12-11 14:30:01" as the local time it names.
    function csvTime(text) {
        const m = /^(\d+)-(\d+)-(\d+) (\d+):(\d+):(\d+)$/.exec(text);
        return m ? new Date(+m[1], m[2] - 1, +m[3], +m[4], +m[5], +m[6]).getTime() : NaN;
    }

    async function loadHistory(board, own) {
        const now = Date.now();
        const range = 'board=' + board.info.board + '&from=' +
            encodeURIComponent(new Date(now - HOUR).toISOString()) + '&to=' +
            encodeURIComponent(new Date(now + 60000).toISOString());
        const text = await (await get('/api/history?' + range)).text();
        if (own !== generation)
            return;
        const lines = text.split('\r\n');
        const points = board.shown.map(() => []);
        for (let i = 1; i < lines.length; ++i) {
            const fields = lines[i].split(',');
            const x = csvTime(fields[0]);
            if (isNaN(x))
                continue;
            board.shown.forEach((c, k) => {
                const cell = fields[c.channel + 1];
                points[k].push({ x: x, y: cell === undefined || cell === '' ? null : +cell });
            });
        }
        // Lines that came live while the history loaded stay; the history goes before them.
        board.chart.data.datasets.forEach((set, k) => {
            const first = set.data.length ? set.data[0].x : Infinity;
            set.data = points[k].filter((p) => p.x < first).concat(set.data);
            trim(set.data, Date.now());
        });
        scheduleDraw(board);
    }

    async function build() {
        const own = ++generation;
        const [list, latest] = await Promise.all([
            get('/api/boards').then((r) => r.json()),
            get('/api/latest').then((r) => r.json()),
        ]);
        if (own !== generation)
            return;
        for (const board of boards.values())
            board.chart.destroy();
        boards = new Map();
        main.replaceChildren();
        if (list.boards.length === 0)
            showMessage(T.noBoards);
        for (const info of list.boards)
            boards.set(info.board, buildBoard(info));
        for (const line of latest.boards) {
            const board = boards.get(line.board);
            if (board) {
                showLine(board, line);
                if (line.time)
                    addLine(board, line);
            }
        }
        await Promise.all([...boards.values()].map((b) => loadHistory(b, own)));
    }

    function failed(error) {
        if (error.status === 401)
            showMessage(T.token);
        else
            setStatus(T.failed + error.message, true);
    }

    let rebuilding = false;
    function rebuild() {
        if (rebuilding)
            return;
        rebuilding = true;
        build().catch(failed).finally(() => {
            rebuilding = false;
        });
    }

    function connect(first) {
        const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
        const query = token ? '?token=' + encodeURIComponent(token) : '';
        socket = new WebSocket(scheme + location.host + '/api/live' + query);
        let opened = false;
        socket.onopen = () => {
            opened = true;
            setStatus(T.live, false);
            // After a lost connection the boards may have changed: load them anew.
            if (!first)
                rebuild();
            first = false;
        };
        socket.onmessage = (event) => {
            const line = JSON.parse(event.data);
            const board = boards.get(line.board);
            if (!board) {
                rebuild(); // a board that started after the page was built
                return;
            }
            showLine(board, line);
            addLine(board, line);
        };
        socket.onclose = () => {
            if (opened || first)
                setStatus(T.lost, true);
            setTimeout(() => connect(first), 3000);
        };
    }

    function start() {
        build().then(() => connect(true)).catch((error) => {
            failed(error);
            if (error.status !== 401)
                setTimeout(start, 5000);
        });
    }

    setStatus(T.connecting, false);
    start();
})();

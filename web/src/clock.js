// The two clocks of a game. A time control is "minutes+increment seconds"
// (both clocks count down, the mover gets the increment after the move) or a
// fixed time per move (the engine gets that time for each move; the clocks
// count the time each side has used).
export const TIME_CONTROLS = [
  { id: '1+0', label: '1 min', base: 60000, inc: 0 },
  { id: '3+2', label: '3 | 2', base: 180000, inc: 2000 },
  { id: '5+3', label: '5 | 3', base: 300000, inc: 3000 },
  { id: '10+5', label: '10 | 5', base: 600000, inc: 5000 },
  { id: '15+10', label: '15 | 10', base: 900000, inc: 10000 },
  { id: 'move1', label: '1 s per move', movetime: 1000 },
  { id: 'move3', label: '3 s per move', movetime: 3000 },
];

export function timeControl(id) {
  return TIME_CONTROLS.find((t) => t.id === id) ?? TIME_CONTROLS[2];
}

export class Clock {
  constructor(control, now = () => performance.now()) {
    this.control = control;
    this.now = now;
    this.fixed = Boolean(control.movetime);
    // Remaining time (countdown) or time used (fixed time per move).
    this.time = { w: this.fixed ? 0 : control.base, b: this.fixed ? 0 : control.base };
    this.running = null; // 'w' | 'b' | null
    this.since = 0;
  }

  // Milliseconds on the clock of `color` at this moment.
  read(color) {
    let t = this.time[color];
    if (this.running === color) {
      const elapsed = this.now() - this.since;
      t = this.fixed ? t + elapsed : t - elapsed;
    }
    return this.fixed ? t : Math.max(0, t);
  }

  start(color) {
    this.stop();
    this.running = color;
    this.since = this.now();
  }

  // Stops the running clock and books its time.
  stop() {
    if (!this.running) return;
    this.time[this.running] = this.read(this.running);
    this.running = null;
  }

  // The side that was to move has moved: its clock stops, gains the
  // increment, and the other side's starts.
  press(color) {
    this.stop();
    if (!this.fixed) this.time[color] += this.control.inc;
    this.start(color === 'w' ? 'b' : 'w');
  }

  flagged() {
    if (this.fixed || !this.running) return null;
    return this.read(this.running) <= 0 ? this.running : null;
  }

  // The clock words of "go" as the engine's GUI sends them.
  goClock() {
    if (this.fixed) return { movetime: this.control.movetime };
    return { wtime: this.read('w'), btime: this.read('b'), winc: this.control.inc, binc: this.control.inc };
  }

  serialize() {
    return { control: this.control.id, time: { w: this.read('w'), b: this.read('b') }, running: this.running };
  }

  static deserialize(data, now) {
    const clock = new Clock(timeControl(data.control), now);
    clock.time = { ...data.time };
    return clock;
  }
}

// "4:59", "0:09.4" under ten seconds, "1:02:03" past an hour.
export function formatClock(ms) {
  const total = Math.max(0, ms);
  if (total < 10000) return `0:0${(Math.floor(total / 100) / 10).toFixed(1)}`;
  const seconds = Math.floor(total / 1000);
  const h = Math.floor(seconds / 3600);
  const m = Math.floor((seconds % 3600) / 60);
  const s = String(seconds % 60).padStart(2, '0');
  return h ? `${h}:${String(m).padStart(2, '0')}:${s}` : `${m}:${s}`;
}

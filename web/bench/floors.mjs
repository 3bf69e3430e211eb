// Two costs of translate() that no wrapper can avoid, timed on the Node that
// runs this: String.fromCharCode of 17 constant arguments (the length of an
// EAN-13 font string) and reading 12 characters of a string that is not a
// constant into a byte array (an EAN-13 value).  Each figure is the median
// of 11 rounds less the cost of the loop itself.  Measures; asserts nothing.
//
// usage: node web/bench/floors.mjs
const ROUNDS = 11;
const CALLS = 5e6;
const values = Array.from({ length: 16 }, (_, k) => String(590123412345 + 7919 * k));
const bytes = new Uint8Array(64);
const fromCharCode = String.fromCharCode;

function median(f) {
  let sink = 0;
  for (let i = 0; i < CALLS; i++) sink += f(i);
  const rounds = [];
  for (let r = 0; r < ROUNDS; r++) {
    const start = process.hrtime.bigint();
    for (let i = 0; i < CALLS; i++) sink += f(i);
    rounds.push(Number(process.hrtime.bigint() - start) / CALLS);
  }
  if (sink === -1) console.log(sink); // keeps the work from being dropped
  return rounds.sort((a, b) => a - b)[ROUNDS >> 1];
}

const loop = median((i) => values[i & 15].length);
const result = median((i) =>
  fromCharCode(40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56).length + values[i & 15].length);
const value = median((i) => {
  const text = values[i & 15];
  for (let k = 0; k < text.length; k++) bytes[k] = text.charCodeAt(k);
  return bytes[11];
});
console.log(`floors (Node ${process.version}): String.fromCharCode of 17 constants ${(result - loop).toFixed(1)} ns; ` +
  `12 characters read into bytes ${(value - loop).toFixed(1)} ns`);

// SPDX-License-Identifier: Apache-2.0
// node bwipp_micro.js NODE_MODULES CASES: BWIPP's MicroPDF417 (the npm package bwip-js) for given
// data codewords. CASES has one case a line: columns rows codeword... Prints one line a case:
// "width rows modules" (modules as 0/1 left to right, top row first), or "error TEXT".
const path = require('path');
const fs = require('fs');
const bwipjs = require(path.join(process.argv[2], 'bwip-js'));
const lines = fs.readFileSync(process.argv[3], 'utf8').split('\n').filter((l) => l.trim() !== '');
for (const line of lines) {
  const [columns, rows, ...codewords] = line.trim().split(/\s+/).map(Number);
  try {
    const text = codewords.map((c) => '^' + String(c).padStart(3, '0')).join('');
    const raw = bwipjs.raw('micropdf417', text, `parse raw columns=${columns} rows=${rows}`)[0];
    console.log(`${raw.pixx} ${raw.pixs.length / raw.pixx} ${raw.pixs.join('')}`);
  } catch (e) {
    console.log(`error ${String(e.message || e).replace(/\s+/g, ' ')}`);
  }
}

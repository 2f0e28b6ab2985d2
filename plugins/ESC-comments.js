// The comments of a script and their removal with the layout kept, for
// ESC.wsf's level 1. The scan knows strings, template literals and regular
// expressions as far as a lexer can without parsing (after ")" or "}" a "/"
// is taken for division); its caller proves each result by comparing the
// minified code before and after, so a wrong guess never reaches a file.
'use strict';

const LINE_BREAKS = '\n\r\u2028\u2029';
// Words after which a "/" starts a regular expression.
const REGEX_AFTER = new Set([
  'return', 'typeof', 'instanceof', 'in', 'of', 'new', 'delete', 'void', 'throw', 'case', 'do', 'else', 'yield', 'await',
]);
const WORD = /[\w$\\\u0080-\uffff]/;

// A comment the author marked to stay in minified code.
function isLicence(text) {
  return text.startsWith('/*!') || /@preserve|@license|@cc_on/i.test(text);
}

// The comments of `code` in source order ({ start, end, text }), or null when
// the scan cannot follow it (an unclosed comment, string or literal).
function scanComments(code) {
  const comments = [];
  const n = code.length;
  const nesting = []; // '{' for a brace, '`' for a template's "${"
  let regexAllowed = true;
  let i = code.startsWith('#!') ? lineEnd(code, 0) : 0;

  // Skips the rest of a template literal from `from`; returns where the scan
  // goes on (after the closing backquote, or inside a "${").
  const template = (from) => {
    for (let j = from; j < n; j++) {
      if (code[j] === '\\') j++;
      else if (code[j] === '`') {
        regexAllowed = false;
        return j + 1;
      }
      else if (code[j] === '$' && code[j + 1] === '{') {
        nesting.push('`');
        regexAllowed = true;
        return j + 2;
      }
    }
    return -1;
  };

  while (i < n) {
    const c = code[i];
    if (c === '/' && code[i + 1] === '/') {
      const end = lineEnd(code, i);
      comments.push({ start: i, end, text: code.slice(i, end) });
      i = end;
    } else if (c === '/' && code[i + 1] === '*') {
      const close = code.indexOf('*/', i + 2);
      if (close < 0) return null;
      comments.push({ start: i, end: close + 2, text: code.slice(i, close + 2) });
      i = close + 2;
    } else if (/\s/.test(c)) {
      i++;
    } else if (c === '"' || c === "'") {
      let j = i + 1;
      while (j < n && code[j] !== c && !LINE_BREAKS.includes(code[j])) j += code[j] === '\\' ? 2 : 1;
      if (code[j] !== c) return null;
      i = j + 1;
      regexAllowed = false;
    } else if (c === '`') {
      i = template(i + 1);
      if (i < 0) return null;
    } else if (c === '/' && regexAllowed) {
      let j = i + 1;
      let inClass = false;
      for (; j < n && (inClass || code[j] !== '/'); j++) {
        if (LINE_BREAKS.includes(code[j])) return null;
        if (code[j] === '\\') j++;
        else if (code[j] === '[') inClass = true;
        else if (code[j] === ']') inClass = false;
      }
      if (j >= n) return null;
      i = j + 1;
      while (i < n && WORD.test(code[i])) i++;
      regexAllowed = false;
    } else if (WORD.test(c)) {
      let j = i;
      while (j < n && WORD.test(code[j])) j++;
      regexAllowed = REGEX_AFTER.has(code.slice(i, j));
      i = j;
    } else if (c === '}' && nesting[nesting.length - 1] === '`') {
      nesting.pop();
      i = template(i + 1);
      if (i < 0) return null;
    } else {
      if (c === '{') nesting.push('{');
      if (c === '}') nesting.pop();
      const incDec = (c === '+' || c === '-') && code[i + 1] === c;
      regexAllowed = !(c === ')' || c === ']' || c === '}' || incDec);
      i += incDec ? 2 : 1;
    }
  }
  return comments;
}

function lineEnd(code, from) {
  let end = from;
  while (end < code.length && !LINE_BREAKS.includes(code[end])) end++;
  return end;
}

// Cuts every comment but the licences out of the text and keeps the rest as
// it stands. A block comment that spanned lines leaves a line break
// (automatic semicolons still apply), one within a line leaves a blank; a
// line that held nothing but comments disappears, the author's own blank
// lines stay.
function cutComments(code, comments) {
  const mark = '\uE000';
  const canMark = !code.includes(mark);
  let out = '';
  let last = 0;
  for (const { start, end, text } of comments) {
    if (start < last || isLicence(text)) continue;
    out += code.slice(last, start);
    if (canMark) out += mark;
    let next = end;
    if (text.startsWith('/*')) {
      const blankBefore = start === 0 || /\s/.test(code[start - 1]);
      const blankAfter = end >= code.length || /\s/.test(code[end]);
      if (/[\n\r\u2028\u2029]/.test(text)) out += '\n';
      else if (!blankBefore && !blankAfter) out += ' ';
      else if (blankBefore && (code[end] === ' ' || code[end] === '\t')) next = end + 1;
    }
    if (canMark) out += mark;
    last = next;
  }
  out += code.slice(last);
  if (!canMark) return out;
  return out
    .split('\n')
    .filter((line) => !(line.includes(mark) && line.replaceAll(mark, '').trim() === ''))
    .map((line) => (line.includes(mark) ? line.replaceAll(mark, '').replace(/[ \t]+(\r?)$/, '$1') : line))
    .join('\n');
}

module.exports = { cutComments, isLicence, scanComments };

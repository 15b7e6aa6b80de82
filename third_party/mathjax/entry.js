// TeX in, SVG out, for an engine with no DOM, no timers and no module loader.
import {mathjax} from 'mathjax-full/js/mathjax.js';
import {TeX} from 'mathjax-full/js/input/tex.js';
import {SVG} from 'mathjax-full/js/output/svg.js';
import {liteAdaptor} from 'mathjax-full/js/adaptors/liteAdaptor.js';
import {RegisterHTMLHandler} from 'mathjax-full/js/handlers/html.js';
import 'mathjax-full/js/input/tex/base/BaseConfiguration.js';
import 'mathjax-full/js/input/tex/ams/AmsConfiguration.js';
import 'mathjax-full/js/input/tex/newcommand/NewcommandConfiguration.js';
import 'mathjax-full/js/input/tex/boldsymbol/BoldsymbolConfiguration.js';
import 'mathjax-full/js/input/tex/braket/BraketConfiguration.js';
import 'mathjax-full/js/input/tex/cancel/CancelConfiguration.js';
import 'mathjax-full/js/input/tex/color/ColorConfiguration.js';
import {PlainAttributes} from './attributes.js';

// MathJax's nodes look the class up in this module's exports each time they
// are made: ours takes the place of its own before the first node.
require('mathjax-full/js/core/MmlTree/Attributes.js').Attributes = PlainAttributes;

const adaptor = liteAdaptor();
RegisterHTMLHandler(adaptor);
const tex = new TeX({
  packages: ['base', 'ams', 'newcommand', 'boldsymbol', 'braket', 'cancel', 'color'],
  // A rejected formula is an exception, never a red error box.
  formatError: (jax, error) => { throw error; },
});
const svg = new SVG({fontCache: 'none'});
const html = mathjax.document('', {InputJax: tex, OutputJax: svg});

// MathJaxBundle.texToSvg: {svg: the <svg> element's markup} or, for a rejected formula, {error: TeX's message}.
// MathJax's TeX errors are not Error objects, so the engine could not tell them apart.
export function texToSvg(source, display) {
  try {
    const node = html.convert(source, {display: !!display, em: 16, ex: 8, containerWidth: 1280});
    return {svg: adaptor.innerHTML(node)};
  } catch (error) {
    return {error: String(error && error.message ? error.message : error)};
  }
}

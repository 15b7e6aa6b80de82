// A node's attributes for MathJax's internal MathML, over plain objects.
// MathJax's own class chains four objects, each the prototype of the next,
// and fills the inner ones after the chain is made; Qt's script engine
// re-checks every object shape it knows whenever an object already serving as
// a prototype gains a property, which made each formula several times slower.
// The lookups are the same: explicit, then inherited, then the node's
// defaults, then the math element's.
import {INHERIT} from 'mathjax-full/js/core/MmlTree/Attributes.js';

const hasOwn = Object.prototype.hasOwnProperty;

export class PlainAttributes {
  constructor(defaults, global) {
    this.global = global;
    this.defaults = Object.assign(Object.create(global), defaults);
    this.inherited = {};
    this.attributes = {};
  }

  set(name, value) { this.attributes[name] = value; }
  setList(list) { Object.assign(this.attributes, list); }
  get(name) {
    const value = hasOwn.call(this.attributes, name) ? this.attributes[name] : this.getInherited(name);
    return value === INHERIT ? this.global[name] : value;
  }
  getExplicit(name) { return hasOwn.call(this.attributes, name) ? this.attributes[name] : undefined; }
  getList(...names) {
    const values = {};
    for (const name of names) values[name] = this.get(name);
    return values;
  }
  setInherited(name, value) { this.inherited[name] = value; }
  getInherited(name) { return hasOwn.call(this.inherited, name) ? this.inherited[name] : this.defaults[name]; }
  getDefault(name) { return this.defaults[name]; }
  isSet(name) { return hasOwn.call(this.attributes, name) || hasOwn.call(this.inherited, name); }
  hasDefault(name) { return name in this.defaults; }
  getExplicitNames() { return Object.keys(this.attributes); }
  getInheritedNames() { return Object.keys(this.inherited); }
  getDefaultNames() { return Object.keys(this.defaults); }
  getGlobalNames() { return Object.keys(this.global); }
  getAllAttributes() { return this.attributes; }
  getAllInherited() { return this.inherited; }
  getAllDefaults() { return this.defaults; }
  getAllGlobals() { return this.global; }
}

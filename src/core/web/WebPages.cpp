// The fixed files of the hall's pages, compiled into the program: nothing is
// read from the disk for a request and nothing is fetched from elsewhere.
#include "web/WebSite.h"

#include <array>

namespace tessaly {
namespace {

constexpr std::string_view kCheckInHtml = R"HTML(<!doctype html>
<html lang="zh-CN"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width,initial-scale=1">
<title>签到</title><link rel="stylesheet" href="app.css"></head>
<body><main>
<h1>签到</h1>
<form id="form" autocomplete="off">
<label for="code">签到码（签到卡上的8位）</label>
<input id="code" name="code" maxlength="12" autocapitalize="characters" spellcheck="false" required>
<label for="hall">现场码（大屏幕上的4位数字）</label>
<input id="hall" name="hall" inputmode="numeric" maxlength="4" pattern="[0-9]*">
<button type="submit" id="go">签到</button>
</form>
<p id="answer" class="answer" role="status"></p>
<p class="note">一部手机只能为一个人签到。</p>
<p><a href="winners">查看中奖名单</a></p>
</main><script src="device.js"></script><script src="checkin.js"></script></body></html>
)HTML";

constexpr std::string_view kWinnersHtml = R"HTML(<!doctype html>
<html lang="zh-CN"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width,initial-scale=1">
<title>中奖名单</title><link rel="stylesheet" href="app.css"></head>
<body><main>
<h1>中奖名单</h1>
<p id="now" class="now"></p>
<div id="awards"></div>
<section class="mine">
<h2>我中奖了吗？</h2>
<form id="mine" autocomplete="off">
<label for="code">输入自己的签到码</label>
<input id="code" name="code" maxlength="12" autocapitalize="characters" spellcheck="false" required>
<button type="submit">查询</button>
</form>
<p id="answer" class="answer" role="status"></p>
</section>
<p id="hash" class="hash"></p>
<p id="stale" class="note"></p>
<p><a href="checkin">去签到</a></p>
</main><script src="device.js"></script><script src="winners.js"></script></body></html>
)HTML";

constexpr std::string_view kCss = R"CSS(*{box-sizing:border-box}
body{margin:0;font-family:sans-serif;background:#fdf6ec;color:#222;font-size:17px}
main{max-width:32rem;margin:0 auto;padding:1rem}
h1{color:#b3261e;text-align:center;margin:.5rem 0 1rem}
h2{font-size:1.1rem;margin:1rem 0 .5rem}
label{display:block;margin:.75rem 0 .25rem}
input{width:100%;font-size:1.4rem;padding:.5rem;border:1px solid #999;border-radius:.4rem;letter-spacing:.1em}
button{width:100%;margin-top:1rem;font-size:1.2rem;padding:.7rem;border:0;border-radius:.4rem;background:#b3261e;color:#fff}
button:disabled{background:#aaa}
.answer{min-height:1.5em;font-size:1.1rem;margin-top:1rem}
.answer.ok{color:#1b6e20}.answer.bad{color:#b3261e}
.note,.hash{color:#666;font-size:.85rem;word-break:break-all}
.now{text-align:center;font-weight:bold;min-height:1.3em}
.award{background:#fff;border-radius:.5rem;padding:.6rem .8rem;margin:.6rem 0;box-shadow:0 1px 3px #0002}
.award h3{margin:0 0 .3rem;font-size:1.05rem;color:#b3261e}
.award .prize{color:#555;font-weight:normal}
.award ol{margin:0;padding-left:1.6rem;columns:2}
.award li{break-inside:avoid}
.award li.withdrawn{color:#999;text-decoration:line-through}
.award.current{outline:2px solid #b3261e}
.mine{border-top:1px solid #ddd;margin-top:1rem}
a{color:#b3261e}
)CSS";

// The phone's key, kept in its browser: one phone checks in one person.
constexpr std::string_view kDeviceJs = R"JS('use strict';
function deviceKey(){
  var k=null;
  try{k=localStorage.getItem('tessaly-device');}catch(e){}
  if(!k||!/^[A-Za-z0-9_-]{8,64}$/.test(k)){
    var b=new Uint8Array(16);crypto.getRandomValues(b);
    k=Array.prototype.map.call(b,function(x){return('0'+x.toString(16)).slice(-2);}).join('');
    try{localStorage.setItem('tessaly-device',k);}catch(e){}
  }
  return k;
}
)JS";

constexpr std::string_view kCheckInJs = R"JS('use strict';
var texts={
  device:'这部手机已经为另一位签到过了。一部手机只能为一个人签到，请用自己的手机。',
  unknown:'签到码不对，请核对签到卡上的8位签到码。',
  hall:'现场码不对，请看大屏幕上的4位现场码。',
  limit:'尝试次数太多，请一分钟后再试。',
  error:'签到暂时没有成功，请稍后再试或找工作人员。'
};
var form=document.getElementById('form'),answer=document.getElementById('answer');
// A card's link carries the code after "#c="; a second card opened in the same tab changes only the hash.
function fromLink(){
  var m=/[#&]c=([A-Za-z0-9-]+)/.exec(location.hash);
  if(m){document.getElementById('code').value=m[1];answer.textContent='';}
}
fromLink();
window.addEventListener('hashchange',fromLink);
function show(text,ok){answer.textContent=text;answer.className='answer '+(ok?'ok':'bad');}
form.addEventListener('submit',function(ev){
  ev.preventDefault();
  var go=document.getElementById('go');go.disabled=true;
  var body=new URLSearchParams();
  body.set('code',document.getElementById('code').value);
  body.set('hall',document.getElementById('hall').value);
  body.set('device',deviceKey());
  fetch('api/checkin',{method:'POST',body:body}).then(function(r){return r.json();}).then(function(a){
    if(a.ok&&a.state==='in')show('签到成功：'+a.name+'。祝你好运！',true);
    else if(a.ok)show(a.name+' 已经签到过了，无需再签。',true);
    else show(texts[a.state]||texts.error,false);
  }).catch(function(){show(texts.error,false);}).then(function(){go.disabled=false;});
});
)JS";

constexpr std::string_view kWinnersJs = R"JS('use strict';
var version=-1,device=deviceKey();
function el(tag,cls,text){var e=document.createElement(tag);if(cls)e.className=cls;if(text!==undefined)e.textContent=text;return e;}
function render(d){
  var box=document.getElementById('awards');
  while(box.firstChild)box.removeChild(box.firstChild);
  var now=document.getElementById('now');
  var cur=d.awards[d.current];
  if(d.complete)now.textContent='抽奖已全部完成';
  else if(cur)now.textContent=(d.rolling?'正在抽取：':'即将抽取：')+cur.award+'　第 '+d.batch+' / '+d.batches+' 轮';
  else now.textContent='';
  d.awards.forEach(function(a,i){
    if(!a.winners.length&&i!==d.current)return;
    var s=el('section','award'+(i===d.current&&!d.complete?' current':''));
    var h=el('h3',null,a.award+' ');h.appendChild(el('span','prize',a.prize));
    s.appendChild(h);
    var ol=el('ol');
    a.winners.forEach(function(w){ol.appendChild(el('li',w[1]?'withdrawn':null,w[0]+(w[1]?'（已弃奖）':'')));});
    if(!a.winners.length)s.appendChild(el('p','note','尚未抽出'));
    s.appendChild(ol);box.appendChild(s);
  });
  document.getElementById('hash').textContent=d.hash?('抽奖记录校验值：'+d.hash):'';
}
function poll(){
  fetch('api/winners?v='+version+'&d='+device,{cache:'no-store'}).then(function(r){return r.json();}).then(function(d){
    document.getElementById('stale').textContent='';
    if(!d.same){version=d.version;render(d);}
  }).catch(function(){document.getElementById('stale').textContent='暂时连不上，正在重试…';})
  .then(function(){setTimeout(poll,1000);});
}
poll();
var answer=document.getElementById('answer');
document.getElementById('mine').addEventListener('submit',function(ev){
  ev.preventDefault();
  var body=new URLSearchParams();body.set('code',document.getElementById('code').value);
  fetch('api/mine',{method:'POST',body:body}).then(function(r){return r.json();}).then(function(a){
    if(!a.ok){answer.className='answer bad';answer.textContent=a.state==='limit'?'查询次数太多，请一分钟后再试。':'签到码不对，请核对签到卡上的8位签到码。';return;}
    var won=a.wins.filter(function(w){return !w.withdrawn;});
    answer.className='answer ok';
    answer.textContent=won.length?(a.name+'：恭喜！你中了'+won.map(function(w){return w.award+'（'+w.prize+'）';}).join('、')+'。')
      :(a.name+'：暂时还没有中奖，请继续关注。');
  }).catch(function(){answer.className='answer bad';answer.textContent='查询暂时没有成功，请稍后再试。';});
});
)JS";

constexpr std::array<PageFile, 6> kFiles{{
    {"checkin", "text/html; charset=utf-8", kCheckInHtml},
    {"winners", "text/html; charset=utf-8", kWinnersHtml},
    {"app.css", "text/css; charset=utf-8", kCss},
    {"checkin.js", "text/javascript; charset=utf-8", kCheckInJs},
    {"winners.js", "text/javascript; charset=utf-8", kWinnersJs},
    {"device.js", "text/javascript; charset=utf-8", kDeviceJs},
}};

}  // namespace

const PageFile *pageFile(std::string_view name)
{
    for (const PageFile &file : kFiles)
        if (name == file.name)
            return &file;
    return nullptr;
}

}  // namespace tessaly

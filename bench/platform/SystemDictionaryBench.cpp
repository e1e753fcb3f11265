#include "BenchmarkMain.h"
#include "platform/speech/EspeakNgPronunciationTranscriber.h"
#include "dictionary/ChineseGlossTable.h"
#include "dictionary/StarDictLibrary.h"
#include "dictionary/SystemDictionaryClient.h"
#include "dictionary/WordNetDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace {

// The 1,000 single words with the highest sense-tagged frequencies in WordNet 3.0's
// cntlist.rev: the words a learner meets most often.
const char kCommonWords[] = R"(
be person have say not make group man see n't location do know come give use get take one find more
seem only time go think tell become then feel two now other so begin look such show work year first
ask even leave want also way face try new place hold just most form hear day many still keep need
youth thing much stand start little head provide play very state own mean good here run too great
include move people back eye write long all turn put change call appear follow hand help life study
never open part same again live bring expect small meet reach three believe consider let old end
present increase world receive lead last high number figure area continue result child serve
however some pay remain right report walk lie problem develop line add boy like return point fight
grow no always cause happen close watch force home light question there water foot indicate wait
sit remember pass require house side set speak almost lose determine voice stop friend hope field
read experience mind plan body night case soldier enough talk moment well certain name second sound
carry possible produce idea program american girl often learn offer important understand better
cover interest die far drive information once school fire word answer send contain note surface
regiment type allow early four thus effect fall later woman down enter build large nothing act door
action create several cost spend value development family obtain complete decide fact general wish
different kind next describe raise reduce big death love room away church ever material rise sense
position support establish less stay country explain level fear amount job perhaps suggest best
dark draw whole apply concern drop record rate wife officer power control design direct hit occur
rather city demand individual out range represent seek win attempt cell god local reason spirit
wear clear hour stress young arm involve wonder accept approach difference prove view express
ground probably system today plant public air center choose claim feed quite join kill order share
suddenly fail government smile already five history list month recognize tree week age purpose war
company exist low measure break business buy horse maintain pressure rest assume century really
throw base care feeling mother picture prevent remove thought course land permit achieve deal visit
fill method sometimes trial true effort evidence hard listen morning sure wall gun matter minute
section shoot together law past period road sell up usually blue cut experiment further process
realize stare earth fellow office ride society catch charge half mass social total activity agree
enjoy human money temperature white alone announce available condition dead enemy forget major
mention street third strong subject wave attend real step observe strike teach therefore battle
conduct discover full function product single trouble various file red sing community else few game
leg test bear discuss heart prepare situation space finally six stage supply treat ago distance
father national necessary operate sleep suppose table window able feature issue laugh push reflect
smoke student another forward shake about meaning save ten top touch town wage attitude compare eat
improve left member normal religious short slowly admit attention direction doctor imagine
influence average check data nature object patient pull quality reply rifle separate sign deny
march mark near notice simple size swing art easy hang lack price rule car declare letter limit
literature manner merely modern particular pattern remark tall black color common contribute desire
destroy finish paper regard region religion scene success theory blood dream each economic free
future industry likely shape training attack fit gain performance source spread statement term
audience basic command degree drink expression extend mouth movement ready score shoulder special
animal before election event every fine handle husband refuse sample sort corner cry fly guess
opportunity similar south suffer tend wide worry anode basis encourage especially estimate film
glance indeed miss tone avoid cross deep example item late music perform simply words book
difficult exercise growth insist percent refer repeat affect army around piece story aid bad chance
firm gray party political shout strange technique train address front hot means particularly press
promise reveal settle strength trade floor kid policy property select shelter soon tax cold flow
hair hate heavy practice spring store treatment court education pretty replace role roll summer sun
vary vote any board dust eliminate employ employee english farm instead language lip maybe pain
possibility travel bed effective final inch private procedure production recommend ship speed
certainly comrade finger jew knee latter lift organization payment reaction river somewhat above
arise benefit building character collect comment demonstrate directly following importance mile nod
outside pound publish recall season shift shot threaten blow daily emerge identify military nearly
research song stem struggle text afternoon analysis apparently arrive beat dance dictionary
discussion existence jewish larger loud measurement memory million particle poor propose series
site spot stretch unit urge argue bank dominant image immediately introduce murder operation team
volume active block catholic circumstance contact ear emotion escape generally lower manager over
pause progress service son wrong actually aim brush clearly contrast count deliver doubt dress
equal inform lieutenant match nation on recent sight skill sky vocational ball crowd detail
difficulty element entire equipment federal honor hundred hurry length maximum model paint proceed
project release requirement sale search solid structure transfer advance assure burn christian
column completely derive distribution energy happy impossible objective phase protestant yard adopt
argument award behavior bend characteristic clean coffee confront cool edge empty factor grant
greater hall labor lay marry newspaper personal purchase radiation serious straight title west
additional allotment appropriate assign captain carefully college completion display encounter
engage entirely fig former income knowledge loss muscle natural north possess roar sentence style
thin artist aspect author balance camp clothes cloud define dog earlier enable favor fool heat
highly inside liberal noise obviously physical plane protect schedule specific square surprise wild
arc brother conclude kitchen presently rain respect sharp smell tradition understanding woods yet
accomplish beginning bother chapter circle class double dry gather grass
)";

QStringList commonWords()
{
    return QString::fromLatin1(kCommonWords).simplified().split(QLatin1Char(' '));
}

double threadCpuMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double percentile(const std::vector<double> &sorted, double fraction)
{
    return sorted[static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1))];
}

// Times every lookup on its own and reports the median and the 99th percentile, in wall
// time and in this thread's CPU time (on a busy machine the wall-time tail is mostly
// preemption).
void measureLookups(benchmark::State &state, const SystemDictionaryClient &client)
{
    const QStringList words = commonWords();
    for (const QString &word : words)
        benchmark::DoNotOptimize(client.lookupDefinition(word));
    std::vector<double> wall;
    std::vector<double> cpu;
    int found = 0;
    for (auto _ : state) {
        for (const QString &word : words) {
            const double cpuStart = threadCpuMicroseconds();
            const auto start = std::chrono::steady_clock::now();
            const auto entry = client.lookupDefinition(word);
            const auto end = std::chrono::steady_clock::now();
            cpu.push_back(threadCpuMicroseconds() - cpuStart);
            benchmark::DoNotOptimize(entry);
            found += entry.has_value() ? 1 : 0;
            wall.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    state.counters["p50_us"] = percentile(wall, 0.50);
    state.counters["p99_us"] = percentile(wall, 0.99);
    state.counters["cpu_p50_us"] = percentile(cpu, 0.50);
    state.counters["cpu_p99_us"] = percentile(cpu, 0.99);
    state.counters["found_pct"] = 100.0 * found / static_cast<double>(wall.size());
    state.SetItemsProcessed(static_cast<int64_t>(wall.size()));
}

void BM_LookupWithPronunciation(benchmark::State &state)
{
    const SystemDictionaryClient client(std::make_shared<const WordNetDatabase>(),
                                        std::make_shared<const EspeakNgPronunciationTranscriber>());
    measureLookups(state, client);
}
BENCHMARK(BM_LookupWithPronunciation)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LookupWithoutPronunciation(benchmark::State &state)
{
    const SystemDictionaryClient client(std::make_shared<const WordNetDatabase>(), nullptr);
    measureLookups(state, client);
}
BENCHMARK(BM_LookupWithoutPronunciation)->Unit(benchmark::kMillisecond)->Iterations(5);

// A plain StarDict dictionary with a short article for every common word, as a learner's
// installed dictionary would have.
std::shared_ptr<const StarDictLibrary> learnersDictionary(const QTemporaryDir &directory)
{
    QStringList words = commonWords();
    std::sort(words.begin(), words.end());
    words.removeDuplicates();
    QByteArray index;
    QByteArray articles;
    for (const QString &word : std::as_const(words)) {
        const QByteArray article = "n. v. " + word.toUtf8() + " 的释义；例句与用法说明";
        char numbers[8];
        qToBigEndian(static_cast<quint32>(articles.size()), numbers);
        qToBigEndian(static_cast<quint32>(article.size()), numbers + 4);
        index += word.toUtf8() + '\0' + QByteArray(numbers, 8);
        articles += article;
    }
    const QString base = QDir(directory.path()).filePath(QStringLiteral("common"));
    for (const auto &[suffix, bytes] : {std::pair{".ifo", QByteArray("StarDict's dict ifo file\nversion=2.4.2\n"
                                                                     "bookname=Common\nsametypesequence=m\n")},
                                        std::pair{".idx", index}, std::pair{".dict", articles}}) {
        QFile file(base + QLatin1String(suffix));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    return std::make_shared<const StarDictLibrary>(QStringList{directory.path()});
}

void BM_LookupWithAllSources(benchmark::State &state)
{
    QTemporaryDir directory;
    const SystemDictionaryClient client(std::make_shared<const WordNetDatabase>(),
                                        std::make_shared<const EspeakNgPronunciationTranscriber>(),
                                        std::make_shared<const ChineseGlossTable>(), learnersDictionary(directory));
    measureLookups(state, client);
}
BENCHMARK(BM_LookupWithAllSources)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LookupWithAllSourcesButPronunciation(benchmark::State &state)
{
    QTemporaryDir directory;
    const SystemDictionaryClient client(std::make_shared<const WordNetDatabase>(), nullptr,
                                        std::make_shared<const ChineseGlossTable>(), learnersDictionary(directory));
    measureLookups(state, client);
}
BENCHMARK(BM_LookupWithAllSourcesButPronunciation)->Unit(benchmark::kMillisecond)->Iterations(5);

// The first lookup maps the files and reads the exception lists.
void BM_FirstLookupOpensTheDatabase(benchmark::State &state)
{
    for (auto _ : state) {
        const SystemDictionaryClient client(std::make_shared<const WordNetDatabase>(), nullptr);
        benchmark::DoNotOptimize(client.lookupDefinition(QStringLiteral("tomato")));
    }
}
BENCHMARK(BM_FirstLookupOpensTheDatabase)->Unit(benchmark::kMillisecond);

} // namespace

// The gloss table is found beside the program, which needs the application object.
int main(int argc, char **argv) { return runBenchmarks<QCoreApplication>(argc, argv); }

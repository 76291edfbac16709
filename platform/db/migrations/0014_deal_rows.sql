-- A deal's number (c_doc) is its document number alone. Documents put it
-- into their own wording ("Счет на оплату № 111 от ..."); a number that
-- already carried "№" and a date showed both twice there.
-- A deal's total (n_price) is money: summed in kopecks, not as binary
-- fractions that the list would show as 2921210.3499999996.

create or replace function jur.deal_row(d jur.t_deals)
    returns table (
        b_attach boolean, b_request boolean, c_doc text, c_state text, d_execution date,
        c_base text, c_contractor text, c_provider text, c_creator text, d_create timestamp,
        n_price double precision, id bigint, id_doc bigint, id_state integer, id_division integer,
        id_contractor bigint, id_provider bigint, id_transport_company bigint, id_currency integer,
        id_creator integer, id_request_doc integer, id_payer_for_delivery integer, c_comment text,
        c_address text, c_inn text, c_contact_person text, c_phone text, c_transport_company_name text,
        c_transport_company text, c_sending_number text, c_currency text, n_qty integer,
        n_qty_ready integer, n_row_version integer)
    language sql stable
as $$
    select exists (select 1 from lrg.t_file_owner fo where fo.c_table = 't_deal' and fo.n_key = d.id),
           exists (select 1 from jur.t_deal_details r where r.id_deal = d.id and r.b_okr),
           d.id_doc::text,
           s.c_name, d.d_execution, d.c_base, c.c_name, p.c_name, u.c_name, d.d_create,
           pos.n_price, d.id, d.id_doc, d.id_state, d.id_division, d.id_contractor, d.id_provider,
           d.id_transport_company, d.id_currency, d.id_creator, d.id_request_doc, d.id_payer_for_delivery,
           d.c_comment, d.c_address, d.c_inn, d.c_contact_person, d.c_phone, t.c_name,
           d.c_transport_company, d.c_sending_number, cur.c_short_name,
           coalesce(pos.n_qty, 0), coalesce(pos.n_qty_ready, 0), d.n_row_version
      from jur.t_deal_state s
      join dirs.t_currency cur on cur.id = d.id_currency
      left join jur.t_contractor c on c.id = d.id_contractor
      left join jur.t_contractor p on p.id = d.id_provider
      left join jur.t_contractor t on t.id = d.id_transport_company
      left join sys.t_user u on u.id = d.id_creator
      left join lateral (
            select count(*)::integer as n_qty,
                   (count(*) filter (where x.b_ready_to_ship))::integer as n_qty_ready,
                   round(sum(x.n_sale_price::numeric), 2)::double precision as n_price
              from jur.t_deal_details x
             where x.id_deal = d.id and not x.b_okr) pos on true
     where s.id = d.id_state
$$;

-- A deal's positions and development-work requests as the editor shows them,
-- with what the deal's linked shipping sheets have shipped of each item: one
-- shape for the deal's lines (DEAL_DETAILS_SELECT) and for one line read back
-- after a colleague saved it (DEAL_DETAILS_ROW_SELECT).
create view jur.v_deal_details as
select d.c_url, d.c_name, d.n_qty, d.d_execution, d.n_cost, d.n_sale_price,
       coalesce(s.n_qty_shipped, 0) as n_qty_shipped, d.id, d.id_deal, d.id_item, d.c_description,
       d.id_meas_unit, d.n_cost_add, d.b_add_nds, d.id_vat, d.b_okr, d.c_problems, d.b_ready_to_ship,
       d.n_row_version
  from jur.t_deal_details d
  left join lateral (
        select sum(si.n_qty) as n_qty_shipped
          from jur.t_deal_link l
          join inv.t_shipping_sheet sh on sh.id = l.id_sheet and not sh.b_is_revert
          join inv.t_shipping_sheet_item si on si.id_sheet = sh.id
         where l.id_deal = d.id_deal and si.id_item = d.id_item) s on true;

-- A changed position or request; no row comes back when it changed meanwhile.
-- b_okr is not written: the editor uses it on positions only to mark rows.
update jur.t_deal_details
   set id_deal = :id_deal , id_item = :id_item , c_name = :c_name , c_url = :c_url ,
       c_description = :c_description , c_problems = :c_problems , n_qty = :n_qty ,
       id_meas_unit = :id_meas_unit , n_cost = :n_cost , n_cost_add = :n_cost_add ,
       n_sale_price = :n_sale_price , b_add_nds = coalesce( :b_add_nds , false), id_vat = :id_vat ,
       d_execution = :d_execution , b_ready_to_ship = coalesce( :b_ready_to_ship , false)
 where id = :id
   and n_row_version = :n_row_version
returning c_url, c_name, n_qty, d_execution, n_cost, n_sale_price,
          (select coalesce(sum(si.n_qty), 0)
             from jur.t_deal_link l
             join inv.t_shipping_sheet sh on sh.id = l.id_sheet and not sh.b_is_revert
             join inv.t_shipping_sheet_item si on si.id_sheet = sh.id
            where l.id_deal = t_deal_details.id_deal and si.id_item = t_deal_details.id_item) as n_qty_shipped,
          id, id_deal, id_item, c_description, id_meas_unit, n_cost_add, b_add_nds, id_vat, b_okr, c_problems,
          b_ready_to_ship, n_row_version
